#pragma once

// Reading numbers out of the tool's console text. No Windows headers here.

#include <cstddef>
#include <cstdint>
#include <string>

// "hh:mm:ss.ff" to whole seconds, rounded half up; 0 when the text is not a
// clock of exactly three ':'-separated fields.
int32_t parseClock(const std::string& text);

// The source's length from the tool's description of it: the clock between
// the first "Duration:" and the next comma. 0 when there is none.
int32_t durationFromProbeLog(const std::string& log);

// Adds one chunk of tool output to `pending`. Once the gathered text ends a
// line, the first "time=" in it is read and `pending` is emptied. Returns true
// and sets `seconds` when that gave a clock other than 0. `pending` never holds
// more than maxPendingOutput bytes of an unended line.
bool takeStatusTime(std::string& pending, const char* chunk, size_t length, int32_t& seconds);

constexpr size_t maxPendingOutput = 64 * 1024;

// The tool's last word when it could not finish an output it had begun, e.g.
// on a full disk: the file it leaves is cut off.
constexpr const char* toolFailureReport = "Conversion failed!";

// True when `marker` occurs in the stream of chunks seen so far. `tail` keeps
// the last bytes of the stream, so that a marker split between two chunks is
// found; it never grows beyond the marker's length.
bool findInStream(std::string& tail, const char* chunk, size_t length, const std::string& marker);

// Percent done for a position of `seconds` in a source of `duration` seconds,
// capped at 100. -1 when nothing sensible follows (a negative position or no
// duration): the progress is then left as it was.
int32_t progressPercent(int32_t seconds, int32_t duration);
