// Where test mode takes each camera's frames from: raw files named after the
// frame format and a running frame number (camera numbers 0..9).
#pragma once

#include <cstdint>
#include <mutex>

struct CameraSource {
    char camPath[256];   // directory, ending in "\" unless empty
    char camFormat[40];  // stem format, given the frame number
    int32_t camCounterStart;
    int32_t camCounter;  // next frame number
};

struct TestSources {
    // Held while the settings are re-read and while one frame is looked up,
    // so that a frame never sees half-written settings.
    std::mutex lock;
    CameraSource cameras[10] = {};
};

TestSources& testSources();
