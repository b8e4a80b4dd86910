#pragma once
// How the desktop ends the program without asking: SIGTERM at shutdown, SIGHUP when the
// terminal or the X connection goes, SIGINT from Ctrl+C. While this object lives, each of them
// quits every running message loop (modal dialogs included), so the program leaves through its
// normal end and keeps what the player has done. The session manager's request to commit data
// (logout) calls the given function while the program still runs.
// One object per process, made and destroyed on the user-interface thread.

#include <functional>
#include <memory>

class CSessionEnd {
public:
    explicit CSessionEnd(std::function<void()> commitData);
    // Puts the previous signal handlers back.
    ~CSessionEnd();
    CSessionEnd(const CSessionEnd&) = delete;
    CSessionEnd& operator=(const CSessionEnd&) = delete;

private:
    struct State;
    std::unique_ptr<State> m_state;
};
