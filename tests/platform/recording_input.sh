#!/usr/bin/env bash
# Recording from a real input device on a machine without a sound card: starts a private
# PulseAudio server whose default source is the monitor of a null sink, then runs the test
# that plays a known signal into the sink (pacat) and records it through the game's input.
# Usage: recording_input.sh TEST_PLATFORM_BINARY. Exit 77 (skipped) without PulseAudio.
set -u
binary=$1
for tool in pulseaudio pactl pacat; do
    command -v "$tool" >/dev/null || {
        echo "SKIPPED: $tool is missing; scripts/install-deps.sh installs pulseaudio," \
             "pulseaudio-utils and libasound2-plugins" >&2
        exit 77
    }
done

run=$(mktemp -d /tmp/velmora-recording.XXXXXX)
chmod 700 "$run"
export XDG_RUNTIME_DIR=$run PULSE_RUNTIME_PATH=$run/pulse
# -n: none of the system's modules (no card to find); as root this needs no system mode.
pulseaudio --daemonize=no --exit-idle-time=-1 -n \
    --load="module-null-sink sink_name=fed rate=8000 channels=1" \
    --load="module-native-protocol-unix" >"$run/pulse.log" 2>&1 &
pulse=$!
trap 'kill $pulse 2>/dev/null; wait $pulse 2>/dev/null; rm -rf "$run"' EXIT
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl info >/dev/null 2>&1 || { cat "$run/pulse.log"; echo "FAIL: PulseAudio did not start" >&2; exit 1; }
pactl set-default-sink fed && pactl set-default-source fed.monitor || exit 1

VELMORA_FED_SINK=fed QT_QPA_PLATFORM=offscreen "$binary" --gtest_filter='PortAudioInput.*'
