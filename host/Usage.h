// What the host process holds of the system: committed private memory, GDI
// objects and USER objects, for the soak run that watches them over hours.
#pragma once

#include <cstdint>
#include <string>

struct ProcessUsage {
    uint64_t privateBytes = 0;
    unsigned gdiObjects = 0;
    unsigned userObjects = 0;
    // Where the system does not count USER objects (Wine), the windows of
    // the process stand for them.
    bool userAreWindows = false;
};

ProcessUsage MeasureUsage();

// Appends a line "seconds private-kB gdi user" to the file, with a header
// line when the file is new.
void AppendUsageSample(const std::wstring& file, double seconds, const ProcessUsage& usage);
