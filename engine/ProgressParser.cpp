#include "ProgressParser.h"

#include <charconv>
#include <cmath>
#include <vector>

namespace {

bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// A decimal number at the start of the text ('.' as separator whatever the
// user's regional settings), after optional white space; 0.0 without one.
double leadingNumber(const std::string& field) {
    size_t i = 0;
    while (i < field.size() && isSpace(field[i]))
        ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
        negative = field[i] == '-';
        ++i;
    }
    // from_chars would also take "inf" and "nan"; a clock field never holds them.
    if (i == field.size() || !((field[i] >= '0' && field[i] <= '9') || field[i] == '.'))
        return 0.0;
    double value = 0.0;
    const char* first = field.data() + i;
    auto result = std::from_chars(first, field.data() + field.size(), value,
                                  std::chars_format::general);
    if (result.ec == std::errc::invalid_argument)
        return 0.0;
    // Out of range: the sign of the overflow is all a clock can use.
    if (result.ec == std::errc::result_out_of_range)
        value = HUGE_VAL;
    return negative ? -value : value;
}

} // namespace

int32_t parseClock(const std::string& text) {
    // Fields as a line reader with ':' as delimiter gives them: a trailing ':'
    // adds no empty field, "::" does.
    std::vector<std::string> fields;
    size_t start = 0;
    while (start < text.size()) {
        size_t colon = text.find(':', start);
        if (colon == std::string::npos) {
            fields.push_back(text.substr(start));
            break;
        }
        fields.push_back(text.substr(start, colon - start));
        start = colon + 1;
    }
    if (fields.size() != 3)
        return 0;
    double total = (leadingNumber(fields[0]) * 3600.0 + leadingNumber(fields[1]) * 60.0) +
                   leadingNumber(fields[2]);
    total += 0.5;
    // Beyond 64 bits the truncation would be undefined; no real clock gets there.
    if (!(std::fabs(total) < 9.2e18))
        return 0;
    auto whole = static_cast<int64_t>(total);
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(whole)));
}

int32_t durationFromProbeLog(const std::string& log) {
    static const std::string pattern = "Duration:";
    size_t at = log.find(pattern);
    if (at == std::string::npos)
        return 0;
    size_t comma = log.find(',', at);
    if (comma == std::string::npos)
        return 0;
    size_t begin = at + pattern.size();
    return parseClock(log.substr(begin, comma - begin));
}

bool takeStatusTime(std::string& pending, const char* chunk, size_t length, int32_t& seconds) {
    pending.append(chunk, length);
    if (pending.empty())
        return false;
    char last = pending.back();
    if (last != '\r' && last != '\n') {
        // A tool that never ends a line must not make this grow without end;
        // a status line is far shorter than what is kept.
        if (pending.size() > maxPendingOutput)
            pending.erase(0, pending.size() - 4096);
        return false;
    }
    bool found = false;
    static const std::string pattern = "time=";
    size_t at = pending.find(pattern);
    if (at != std::string::npos) {
        size_t begin = at + pattern.size();
        size_t blank = pending.find(' ', begin);
        if (blank != std::string::npos) {
            int32_t clock = parseClock(pending.substr(begin, blank - begin));
            if (clock != 0) {
                seconds = clock;
                found = true;
            }
        }
    }
    pending.clear();
    return found;
}

int32_t progressPercent(int32_t seconds, int32_t duration) {
    if (seconds < 0 || duration <= 0)
        return -1;
    double percent = seconds * 100.0 / duration;
    return percent >= 100.0 ? 100 : static_cast<int32_t>(percent);
}

bool findInStream(std::string& tail, const char* chunk, size_t length, const std::string& marker) {
    if (marker.empty())
        return false;
    std::string text = tail;
    text.append(chunk, length);
    bool found = text.find(marker) != std::string::npos;
    size_t keep = marker.size() - 1;
    tail = text.size() > keep ? text.substr(text.size() - keep) : text;
    return found;
}
