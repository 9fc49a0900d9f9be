#include "base/ByteTotal.h"

#include <limits>

void AppendByteTotal(std::string& out, ByteTotal value) {
    char digits[40];
    char* end = std::end(digits);
    char* start = end;
    do {
        *--start = static_cast<char>('0' + static_cast<int>(value % 10));
        value /= 10;
    } while (value != 0);
    out.append(start, end);
}

bool ParseByteTotal(std::string_view digits, ByteTotal& value) {
    constexpr ByteTotal largest = ~ByteTotal(0);
    ByteTotal result = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return false;
        const auto digit = static_cast<unsigned>(c - '0');
        if (result > (largest - digit) / 10)
            return false;
        result = result * 10 + digit;
    }
    value = result;
    return !digits.empty();
}

std::int64_t SaturatingSum(std::int64_t a, std::int64_t b) {
    std::int64_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum))
        return b > 0 ? std::numeric_limits<std::int64_t>::max()
                     : std::numeric_limits<std::int64_t>::min();
    return sum;
}
