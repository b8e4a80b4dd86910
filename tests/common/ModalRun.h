#pragma once
// Runs a modal dialog; a safety timer ends one still open after a few seconds.

#include "platform/CDialog.h"

#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

constexpr int SAFETY_MILLISECONDS = 5000;
constexpr int TIMED_OUT = -2;

inline int RunModal(CDialog& dialog, const std::function<void()>& interaction,
                    int safetyMilliseconds = SAFETY_MILLISECONDS) {
    QTimer::singleShot(0, [&] { interaction(); });
    QTimer safety;
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, [&] { dialog.EndDialog(TIMED_OUT); });
    safety.start(safetyMilliseconds);
    const int result = dialog.DoModal();
    EXPECT_NE(result, TIMED_OUT) << "the dialog was still open after the interaction";
    // Windows of the run are deleted later by the event loop; let that happen now.
    QApplication::processEvents();
    return result;
}
