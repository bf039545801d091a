// Start-up settings from "SAA7146.INI", section "Settings", re-read by every
// DCardInit before the card is opened.
#pragma once

// Whether the test-mode notice is shown for the card being opened: only a
// DisplayDialog value of exactly 1 (the default) shows it.
bool readDisplayDialog();
// Reads Debug and, when it is set, every camera's frame source; returns the
// new value of the test mode. The frame numbers restart from their start.
bool readTestModeSettings();
// Whether register accesses are logged (Log not 0).
bool readLogSetting();
