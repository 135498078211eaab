#include "platform/SysUtils.h"

#include <QString>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace lumvor {

// ---- Decimal digits of a double

namespace {

// The value's significant decimal digits (15 unless asked otherwise): digits without leading zeros (or "0")
// and the position of the decimal point relative to the first digit.
struct DecimalDigits {
    bool negative = false;
    std::string digits;  // significant digits, no trailing zeros; "" for zero
    int pointPos = 0;    // value = 0.digits x 10^pointPos
};

DecimalDigits ToDecimal(double value, int precision = 15) {
    DecimalDigits d;
    d.negative = std::signbit(value) && value != 0;
    if (value == 0)
        return d;
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.*e", precision - 1, std::fabs(value));
    // buffer: "d.dddddddddddddde[+-]xx"
    std::string mantissa;
    const char* p = buffer;
    for (; *p && *p != 'e'; ++p)
        if (*p != '.')
            mantissa += *p;
    int exponent = std::atoi(p + 1);
    while (!mantissa.empty() && mantissa.back() == '0')
        mantissa.pop_back();
    d.digits = mantissa;
    d.pointPos = exponent + 1;
    return d;
}

// Rounds the digits to `decimals` places after the point, halves away from zero.
// Returns the integer digits ("" when zero) and exactly `decimals` fraction digits.
void RoundDigits(const DecimalDigits& d, int decimals, std::string& integral, std::string& fraction) {
    // Lay the digits out as integer part + fraction with `decimals` places.
    std::string all;  // integer digits followed by `decimals` fraction digits
    int intCount = std::max(0, d.pointPos);
    for (int i = 0; i < intCount; ++i) {
        int index = i;
        all += index < static_cast<int>(d.digits.size()) ? d.digits[index] : '0';
    }
    bool roundUp = false;
    for (int k = 0; k < decimals + 1; ++k) {
        // digit at fraction place k (0-based): position pointPos + k in digits
        int index = d.pointPos + k;
        char c = index >= 0 && index < static_cast<int>(d.digits.size()) ? d.digits[index] : '0';
        if (k < decimals)
            all += c;
        else
            roundUp = c >= '5';
    }
    if (roundUp) {
        int i = static_cast<int>(all.size()) - 1;
        while (i >= 0 && all[i] == '9') {
            all[i] = '0';
            --i;
        }
        if (i >= 0)
            ++all[i];
        else {
            all.insert(all.begin(), '1');
            ++intCount;
        }
    }
    integral = all.substr(0, intCount);
    fraction = all.substr(intCount);
    size_t firstNonZero = integral.find_first_not_of('0');
    integral = firstNonZero == std::string::npos ? "" : integral.substr(firstNonZero);
}

std::string InsertThousands(const std::string& digits) {
    std::string out;
    int n = static_cast<int>(digits.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return out;
}

// Fixed notation with `decimals` places (half away from zero on 15 digits).
std::string FixedText(double value, int decimals, bool thousands) {
    DecimalDigits d = ToDecimal(value);
    std::string integral, fraction;
    RoundDigits(d, decimals, integral, fraction);
    bool zero = integral.empty() && fraction.find_first_not_of('0') == std::string::npos;
    if (integral.empty())
        integral = "0";
    std::string out = (d.negative && !zero) ? "-" : "";
    out += thousands ? InsertThousands(integral) : integral;
    if (decimals > 0)
        out += "." + fraction;
    return out;
}

std::string NonFiniteText(double value) {
    if (std::isnan(value))
        return "NAN";
    return value < 0 ? "-INF" : "INF";
}

// Scientific notation with `precision` significant digits and an exponent of at
// least `expDigits` digits, always signed ("1.50000000000000E+020").
std::string ScientificText(double value, int precision, int expDigits, bool signAlways) {
    precision = std::clamp(precision, 1, 15);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*e", precision - 1, std::fabs(value));
    // glibc rounds exact binary ties to even; the digits here come from the
    // binary value, which differs from a decimal tie only in rare cases.
    std::string text = buffer;
    size_t e = text.find('e');
    std::string mantissa = text.substr(0, e);
    int exponent = std::atoi(text.c_str() + e + 1);
    if (value == 0)
        exponent = 0;
    std::string expText = std::to_string(std::abs(exponent));
    while (static_cast<int>(expText.size()) < expDigits)
        expText.insert(expText.begin(), '0');
    std::string sign = exponent < 0 ? "-" : (signAlways ? "+" : "");
    return (std::signbit(value) && value != 0 ? "-" : "") + mantissa + "E" + sign + expText;
}

std::string GeneralText(double value, int precision) {
    if (!std::isfinite(value))
        return NonFiniteText(value);
    precision = std::clamp(precision, 1, 15);
    DecimalDigits d = ToDecimal(value, precision);
    if (d.digits.empty())
        return "0";
    std::string out = d.negative ? "-" : "";
    int exponent = d.pointPos - 1;
    if (d.pointPos > precision || exponent < -4) {
        out += d.digits[0];
        if (d.digits.size() > 1)
            out += "." + d.digits.substr(1);
        out += "E" + std::string(exponent < 0 ? "-" : "") + std::to_string(std::abs(exponent));
        return out;
    }
    if (d.pointPos <= 0) {
        out += "0." + std::string(-d.pointPos, '0') + d.digits;
    } else if (d.pointPos >= static_cast<int>(d.digits.size())) {
        out += d.digits + std::string(d.pointPos - d.digits.size(), '0');
    } else {
        out += d.digits.substr(0, d.pointPos) + "." + d.digits.substr(d.pointPos);
    }
    return out;
}

[[noreturn]] void FormatError(std::string_view format) {
    throw EConvertError("Format '" + std::string(format) + "' invalid or incompatible with argument");
}

std::string HexDigits(uint64_t value, int minDigits) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    do {
        out.insert(out.begin(), kHex[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    while (static_cast<int>(out.size()) < minDigits)
        out.insert(out.begin(), '0');
    return out;
}

}  // namespace

// ---- Format

std::string Format(std::string_view format, std::initializer_list<FormatArg> args) {
    const FormatArg* argv = args.begin();
    const int argc = static_cast<int>(args.size());
    int next = 0;
    std::string out;
    size_t i = 0;
    const size_t n = format.size();
    auto takeArg = [&]() -> const FormatArg& {
        if (next >= argc)
            FormatError(format);
        return argv[next++];
    };
    // Reads a number or "*" (taken from the arguments); -1 when absent.
    auto readNumber = [&]() -> int {
        if (i < n && format[i] == '*') {
            ++i;
            const FormatArg& a = takeArg();
            if (a.GetKind() != FormatArg::Kind::Int)
                FormatError(format);
            return static_cast<int>(std::clamp<int64_t>(a.Int(), -1, 100000));
        }
        if (i >= n || format[i] < '0' || format[i] > '9')
            return -1;
        int64_t v = 0;
        while (i < n && format[i] >= '0' && format[i] <= '9') {
            v = std::min<int64_t>(v * 10 + (format[i] - '0'), 100000);
            ++i;
        }
        return static_cast<int>(v);
    };
    while (i < n) {
        char c = format[i];
        if (c != '%') {
            out += c;
            ++i;
            continue;
        }
        ++i;
        if (i < n && format[i] == '%') {
            out += '%';
            ++i;
            continue;
        }
        // Optional "index:" (digits only, so a "*" width takes no argument here).
        size_t save = i;
        int number = i < n && format[i] != '*' ? readNumber() : -1;
        if (i < n && format[i] == ':' && number >= 0) {
            next = number;
            ++i;
        } else {
            i = save;
        }
        bool left = false;
        if (i < n && format[i] == '-') {
            left = true;
            ++i;
        }
        int width = readNumber();
        int precision = -1;
        if (i < n && format[i] == '.') {
            ++i;
            precision = std::max(0, readNumber());
        }
        if (i >= n)
            FormatError(format);
        char type = static_cast<char>(std::tolower(static_cast<unsigned char>(format[i])));
        ++i;
        const FormatArg& arg = takeArg();
        using K = FormatArg::Kind;
        std::string piece;
        auto asDouble = [&]() -> double {
            switch (arg.GetKind()) {
            case K::Float: return arg.Float();
            case K::Int: return static_cast<double>(arg.Int());
            case K::UInt: return static_cast<double>(arg.UInt());
            default: FormatError(format);
            }
        };
        switch (type) {
        case 'd':
        case 'u':
        case 'x': {
            bool negative = false;
            uint64_t magnitude = 0;
            if (arg.GetKind() == K::Int) {
                int64_t v = arg.Int();
                if (type == 'd') {
                    negative = v < 0;
                    magnitude = negative ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
                } else if (v < 0 && !arg.Wide() && v >= std::numeric_limits<int32_t>::min()) {
                    magnitude = static_cast<uint32_t>(static_cast<int32_t>(v));
                } else {
                    magnitude = static_cast<uint64_t>(v);
                }
            } else if (arg.GetKind() == K::UInt) {
                magnitude = arg.UInt();
            } else {
                FormatError(format);
            }
            std::string digits = type == 'x' ? HexDigits(magnitude, 0) : std::to_string(magnitude);
            if (precision > static_cast<int>(digits.size()))
                digits.insert(0, precision - digits.size(), '0');
            piece = (negative ? "-" : "") + digits;
            break;
        }
        case 'f':
        case 'n': {
            double v = asDouble();
            piece = std::isfinite(v) ? FixedText(v, precision < 0 ? 2 : std::min(precision, 18), type == 'n')
                                     : NonFiniteText(v);
            break;
        }
        case 'e': {
            double v = asDouble();
            piece = std::isfinite(v) ? ScientificText(v, precision < 0 ? 15 : precision, 3, true)
                                     : NonFiniteText(v);
            break;
        }
        case 'g':
            piece = GeneralText(asDouble(), precision < 0 ? 15 : precision);
            break;
        case 's':
            if (arg.GetKind() != K::Text)
                FormatError(format);
            piece = arg.Text();
            if (precision >= 0 && precision < static_cast<int>(piece.size()))
                piece.resize(precision);
            break;
        case 'p':
            if (arg.GetKind() != K::Pointer)
                FormatError(format);
            piece = HexDigits(reinterpret_cast<uintptr_t>(arg.Pointer()), sizeof(void*) * 2);
            break;
        default:
            FormatError(format);
        }
        if (width > static_cast<int>(piece.size())) {
            std::string pad(width - piece.size(), ' ');
            piece = left ? piece + pad : pad + piece;
        }
        out += piece;
    }
    return out;
}

// ---- FormatFloat

namespace {

// One section of a float picture, with its digit placeholders counted.
struct FloatPicture {
    std::string_view text;
    int intPlaceholders = 0;  // "0" and "#" before the point
    int minIntDigits = 0;     // placeholders from the first "0" to the point
    int decimals = 0;         // "0" and "#" after the point
    int minDecimals = 0;      // up to the last "0" after the point
    bool thousands = false;
};

// Splits at ";" outside quotes.
std::vector<std::string_view> SplitSections(std::string_view format) {
    std::vector<std::string_view> sections;
    size_t start = 0;
    char quote = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        char c = format[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ';') {
            sections.push_back(format.substr(start, i - start));
            start = i + 1;
        }
    }
    sections.push_back(format.substr(start));
    return sections;
}

FloatPicture ParsePicture(std::string_view text) {
    FloatPicture p;
    p.text = text;
    bool afterPoint = false;
    int firstZero = -1;
    char quote = 0;
    for (char c : text) {
        if (quote) {
            if (c == quote)
                quote = 0;
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '.') {
            afterPoint = true;
        } else if (c == ',' && !afterPoint) {
            p.thousands = true;
        } else if (c == '0' || c == '#') {
            if (afterPoint) {
                ++p.decimals;
                if (c == '0')
                    p.minDecimals = p.decimals;
            } else {
                if (c == '0' && firstZero < 0)
                    firstZero = p.intPlaceholders;
                ++p.intPlaceholders;
            }
        }
    }
    p.minIntDigits = firstZero < 0 ? 0 : p.intPlaceholders - firstZero;
    return p;
}

std::string ApplyPicture(const FloatPicture& p, std::string integral, std::string fraction, bool minus) {
    while (static_cast<int>(integral.size()) < p.minIntDigits)
        integral.insert(integral.begin(), '0');
    while (static_cast<int>(fraction.size()) > p.minDecimals && fraction.back() == '0')
        fraction.pop_back();
    const int intLen = static_cast<int>(integral.size());
    const int extra = intLen - p.intPlaceholders;  // digits shown at the first placeholder
    std::string out = minus ? "-" : "";
    int intPlaceholder = 0;
    int fracPlaceholder = 0;
    int intDigitsWritten = 0;
    bool afterPoint = false;
    auto writeIntDigit = [&](char digit) {
        out += digit;
        ++intDigitsWritten;
        int remaining = intLen - intDigitsWritten;
        if (p.thousands && remaining > 0 && remaining % 3 == 0)
            out += ',';
    };
    char quote = 0;
    for (char c : p.text) {
        if (quote) {
            if (c == quote)
                quote = 0;
            else
                out += c;
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '.') {
            if (!afterPoint && !fraction.empty())
                out += '.';
            else if (afterPoint)
                out += c;
            afterPoint = true;
        } else if (c == ',' && !afterPoint) {
            // thousands flag; placed by writeIntDigit
        } else if ((c == '0' || c == '#') && !afterPoint) {
            if (intPlaceholder == 0)
                for (int k = 0; k < extra; ++k)
                    writeIntDigit(integral[k]);
            int index = intPlaceholder - (p.intPlaceholders - intLen);
            if (index >= 0 && index < intLen)
                writeIntDigit(integral[index]);
            ++intPlaceholder;
        } else if ((c == '0' || c == '#') && afterPoint) {
            if (fracPlaceholder < static_cast<int>(fraction.size()))
                out += fraction[fracPlaceholder];
            ++fracPlaceholder;
        } else {
            out += c;
        }
    }
    // A picture without integer placeholders still shows the integer digits first.
    if (p.intPlaceholders == 0 && intLen > 0)
        out.insert(minus ? 1 : 0, integral);
    return out;
}

}  // namespace

std::string FormatFloat(std::string_view format, double value) {
    if (!std::isfinite(value))
        return NonFiniteText(value);
    if (format.empty())
        return FloatToStr(value);
    std::vector<std::string_view> sections = SplitSections(format);
    size_t section = 0;
    bool negative = value < 0;
    if (negative && sections.size() >= 2 && !sections[1].empty())
        section = 1;
    FloatPicture picture = ParsePicture(sections[section]);
    std::string integral, fraction;
    RoundDigits(ToDecimal(value), picture.decimals, integral, fraction);
    bool zero = integral.empty() && fraction.find_first_not_of('0') == std::string::npos;
    if (zero && sections.size() >= 3 && !sections[2].empty()) {
        picture = ParsePicture(sections[2]);
        RoundDigits(ToDecimal(value), picture.decimals, integral, fraction);
        return ApplyPicture(picture, integral, fraction, false);
    }
    return ApplyPicture(picture, integral, fraction, negative && section == 0 && !zero);
}

// ---- Integers and numbers

std::string IntToStr(int64_t value) { return std::to_string(value); }

std::string IntToHex(int32_t value, int digits) { return HexDigits(static_cast<uint32_t>(value), digits); }
std::string IntToHex(uint32_t value, int digits) { return HexDigits(value, digits); }
std::string IntToHex(int64_t value, int digits) { return HexDigits(static_cast<uint64_t>(value), digits); }
std::string IntToHex(uint64_t value, int digits) { return HexDigits(value, digits); }

namespace {

// Parses an integer as StrToInt describes; bits is 32 or 64.
bool ParseInteger(std::string_view text, int bits, int64_t& result) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < text.size() && text[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= text.size())
        return false;
    const uint64_t limit = hex ? (bits == 32 ? 0xFFFFFFFFull : ~0ull)
                               : (bits == 32 ? 0x80000000ull : 0x8000000000000000ull);
    uint64_t value = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        unsigned base = hex ? 16 : 10;
        if (value > (limit - digit) / base)
            return false;
        value = value * base + digit;
    }
    if (hex) {
        // Hexadecimal text gives the bit pattern of the signed value.
        int64_t v = bits == 32 ? static_cast<int64_t>(static_cast<int32_t>(static_cast<uint32_t>(value)))
                               : static_cast<int64_t>(value);
        result = negative ? static_cast<int64_t>(0 - static_cast<uint64_t>(v)) : v;
        if (bits == 32)
            result = static_cast<int32_t>(static_cast<uint32_t>(result));
        return true;
    }
    if (!negative && value == limit)
        return false;  // one above the largest positive value
    result = negative ? static_cast<int64_t>(0 - value) : static_cast<int64_t>(value);
    return true;
}

[[noreturn]] void IntegerError(const std::string& text) {
    throw EConvertError("'" + text + "' is not a valid integer value");
}

}  // namespace

int32_t StrToInt(const std::string& text) {
    int64_t v = 0;
    if (!ParseInteger(text, 32, v))
        IntegerError(text);
    return static_cast<int32_t>(v);
}

int32_t StrToIntDef(const std::string& text, int32_t defaultValue) {
    int64_t v = 0;
    return ParseInteger(text, 32, v) ? static_cast<int32_t>(v) : defaultValue;
}

bool TryStrToInt(const std::string& text, int32_t& value) {
    int64_t v = 0;
    if (!ParseInteger(text, 32, v))
        return false;
    value = static_cast<int32_t>(v);
    return true;
}

int64_t StrToInt64(const std::string& text) {
    int64_t v = 0;
    if (!ParseInteger(text, 64, v))
        IntegerError(text);
    return v;
}

double StrToFloat(const std::string& text) {
    std::string_view t = text;
    while (!t.empty() && t.front() == ' ')
        t.remove_prefix(1);
    while (!t.empty() && t.back() == ' ')
        t.remove_suffix(1);
    if (!t.empty() && t.front() == '+')
        t.remove_prefix(1);
    double value = 0;
    auto [end, error] = std::from_chars(t.data(), t.data() + t.size(), value, std::chars_format::general);
    if (t.empty() || error != std::errc() || end != t.data() + t.size() || !std::isfinite(value))
        throw EConvertError("'" + text + "' is not a valid floating point value");
    return value;
}

std::string FloatToStr(double value) { return GeneralText(value, 15); }

int64_t Round(double value) {
    // nearbyint uses the current rounding mode, which the program never changes
    // from round-to-nearest-even.
    return static_cast<int64_t>(std::nearbyint(value));
}

int64_t Trunc(double value) { return static_cast<int64_t>(std::trunc(value)); }

int32_t MulDiv(int32_t number, int32_t numerator, int32_t denominator) {
    if (denominator == 0)
        return -1;
    int64_t product = static_cast<int64_t>(number) * numerator;
    int64_t quotient = product / denominator;
    int64_t remainder = product % denominator;
    // Round half away from zero: compare twice the remainder with the divisor.
    if (2 * std::llabs(remainder) >= std::llabs(static_cast<int64_t>(denominator)))
        quotient += (product < 0) != (denominator < 0) ? -1 : 1;
    if (quotient > std::numeric_limits<int32_t>::max() || quotient < std::numeric_limits<int32_t>::min())
        return -1;
    return static_cast<int32_t>(quotient);
}

// ---- Random numbers

uint32_t RandSeed = 0;

namespace {
// Linear congruential step; Random(range) takes the high bits of seed x range,
// so small ranges use the best bits of the state.
uint32_t NextSeed() {
    RandSeed = RandSeed * 0x08088405u + 1;
    return RandSeed;
}
}  // namespace

void Randomize() {
    auto now = std::chrono::system_clock::now().time_since_epoch();
    RandSeed = static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
}

double Random() { return NextSeed() * (1.0 / 4294967296.0); }

int32_t Random(int32_t range) {
    if (range <= 0)
        return 0;
    return static_cast<int32_t>((static_cast<uint64_t>(NextSeed()) * static_cast<uint32_t>(range)) >> 32);
}

// ---- Texts

std::string UpperCase(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string LowerCase(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

namespace {
bool IsTrimmed(char c) { return static_cast<unsigned char>(c) <= ' '; }
}  // namespace

std::string TrimLeft(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && IsTrimmed(text[i]))
        ++i;
    return std::string(text.substr(i));
}

std::string TrimRight(std::string_view text) {
    size_t n = text.size();
    while (n > 0 && IsTrimmed(text[n - 1]))
        --n;
    return std::string(text.substr(0, n));
}

std::string Trim(std::string_view text) { return TrimLeft(TrimRight(text)); }

int Pos(std::string_view sub, std::string_view text) {
    if (sub.empty())
        return 0;
    size_t at = text.find(sub);
    return at == std::string_view::npos ? 0 : static_cast<int>(at) + 1;
}

std::string Copy(std::string_view text, int index, int count) {
    if (index < 1)
        index = 1;
    if (count < 1 || static_cast<size_t>(index) > text.size())
        return "";
    return std::string(text.substr(static_cast<size_t>(index) - 1, static_cast<size_t>(count)));
}

int CompareText(std::string_view a, std::string_view b) {
    bool ascii = std::all_of(a.begin(), a.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }) &&
                 std::all_of(b.begin(), b.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii) {
        QString qa = QString::fromUtf8(a.data(), static_cast<qsizetype>(a.size()));
        QString qb = QString::fromUtf8(b.data(), static_cast<qsizetype>(b.size()));
        int r = qa.compare(qb, Qt::CaseInsensitive);
        return r < 0 ? -1 : r > 0 ? 1 : 0;
    }
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char ca = static_cast<unsigned char>(a[i]);
        unsigned char cb = static_cast<unsigned char>(b[i]);
        if (ca >= 'A' && ca <= 'Z')
            ca = static_cast<unsigned char>(ca - 'A' + 'a');
        if (cb >= 'A' && cb <= 'Z')
            cb = static_cast<unsigned char>(cb - 'A' + 'a');
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool SameText(std::string_view a, std::string_view b) { return CompareText(a, b) == 0; }

// ---- File names

std::string ExtractFilePath(std::string_view fileName) {
    size_t slash = fileName.rfind(PathDelim);
    return slash == std::string_view::npos ? "" : std::string(fileName.substr(0, slash + 1));
}

std::string ExtractFileDir(std::string_view fileName) {
    size_t slash = fileName.rfind(PathDelim);
    if (slash == std::string_view::npos)
        return "";
    if (slash == 0)
        return "/";
    return std::string(fileName.substr(0, slash));
}

std::string ExtractFileName(std::string_view fileName) {
    size_t slash = fileName.rfind(PathDelim);
    return std::string(slash == std::string_view::npos ? fileName : fileName.substr(slash + 1));
}

namespace {
// Index of the extension's dot within fileName, or npos.
size_t ExtensionDot(std::string_view fileName) {
    size_t dot = fileName.rfind('.');
    size_t slash = fileName.rfind(PathDelim);
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return std::string_view::npos;
    return dot;
}
}  // namespace

std::string ExtractFileExt(std::string_view fileName) {
    size_t dot = ExtensionDot(fileName);
    return dot == std::string_view::npos ? "" : std::string(fileName.substr(dot));
}

std::string ChangeFileExt(std::string_view fileName, std::string_view extension) {
    size_t dot = ExtensionDot(fileName);
    std::string out(dot == std::string_view::npos ? fileName : fileName.substr(0, dot));
    out += extension;
    return out;
}

std::string IncludeTrailingPathDelimiter(std::string_view path) {
    std::string out(path);
    if (out.empty() || out.back() != PathDelim)
        out += PathDelim;
    return out;
}

std::string ExcludeTrailingPathDelimiter(std::string_view path) {
    std::string out(path);
    if (out.size() > 1 && out.back() == PathDelim)
        out.pop_back();
    return out;
}

// ---- Files

bool FileExists(const std::string& fileName) {
    struct stat info {};
    return !fileName.empty() && ::stat(fileName.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool DirectoryExists(const std::string& directory) {
    struct stat info {};
    return !directory.empty() && ::stat(directory.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool ForceDirectories(const std::string& directory) {
    std::string dir = ExcludeTrailingPathDelimiter(directory);
    if (dir.empty())
        return false;
    if (DirectoryExists(dir))
        return true;
    std::string parent = ExtractFileDir(dir);
    if (!parent.empty() && parent != dir && !ForceDirectories(parent))
        return false;
    return ::mkdir(dir.c_str(), 0777) == 0 || (errno == EEXIST && DirectoryExists(dir));
}

bool DeleteFile(const std::string& fileName) {
    struct stat info {};
    if (::lstat(fileName.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
        return false;
    return ::unlink(fileName.c_str()) == 0;
}

bool RenameFile(const std::string& oldName, const std::string& newName) {
    if (oldName.empty() || newName.empty())
        return false;
    if (::renameat2(AT_FDCWD, oldName.c_str(), AT_FDCWD, newName.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return false;
    // The file system has no exclusive rename. A hard link fails when the target
    // exists, so link + unlink is still exclusive for files.
    struct stat info {};
    if (::lstat(oldName.c_str(), &info) != 0)
        return false;
    if (!S_ISDIR(info.st_mode)) {
        if (::link(oldName.c_str(), newName.c_str()) == 0) {
            if (::unlink(oldName.c_str()) == 0)
                return true;
            ::unlink(newName.c_str());
            return false;
        }
        if (errno == EEXIST)
            return false;
    }
    // Neither is available (folders, file systems without hard links): check,
    // then rename. Another process could create the target between the two.
    if (::lstat(newName.c_str(), &info) == 0 || errno != ENOENT)
        return false;
    return ::rename(oldName.c_str(), newName.c_str()) == 0;
}

// ---- Dates and times

namespace {

constexpr int64_t kDaysFrom0001To18991230 = 693593;  // days from 0001-01-01 to 1899-12-30
constexpr double kMsPerDay = 86400000.0;

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// The whole days of value and the milliseconds of its time of day. Negative
// values count the time of day away from the day's start (as the day part).
void SplitDateTime(TDateTime value, int64_t& days, int64_t& ms) {
    double whole = std::trunc(value);
    days = static_cast<int64_t>(whole);
    ms = static_cast<int64_t>(std::llround(std::fabs(value - whole) * kMsPerDay));
    if (ms >= 86400000) {
        ms -= 86400000;
        days += value < 0 ? -1 : 1;
    }
}

TDateTime FromTm(const std::tm& t, int millisecond) {
    return EncodeDate(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday) +
           EncodeTime(t.tm_hour, t.tm_min, std::min(t.tm_sec, 59), millisecond);
}

TDateTime FromTimeT(time_t seconds, int millisecond) {
    std::tm t{};
    localtime_r(&seconds, &t);
    return FromTm(t, millisecond);
}

}  // namespace

TDateTime EncodeDate(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        throw EConvertError("Invalid argument to date encode");
    int64_t days = 0;
    for (int m = 1; m < month; ++m)
        days += DaysInMonth(year, m);
    int64_t y = year - 1;
    days += day - 1 + y * 365 + y / 4 - y / 100 + y / 400;
    return static_cast<double>(days - kDaysFrom0001To18991230);
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0 ||
        millisecond > 999)
        throw EConvertError("Invalid argument to time encode");
    return (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond) / kMsPerDay;
}

void DecodeDate(TDateTime value, int& year, int& month, int& day) {
    int64_t days = 0, ms = 0;
    SplitDateTime(value, days, ms);
    int64_t n = days + kDaysFrom0001To18991230;  // days since 0001-01-01
    if (n < 0 || n > 3652058) {  // outside 0001-01-01 .. 9999-12-31
        year = month = day = 0;
        return;
    }
    int64_t y400 = n / 146097;
    n %= 146097;
    int64_t y100 = std::min<int64_t>(n / 36524, 3);
    n -= y100 * 36524;
    int64_t y4 = n / 1461;
    n %= 1461;
    int64_t y1 = std::min<int64_t>(n / 365, 3);
    n -= y1 * 365;
    year = static_cast<int>(y400 * 400 + y100 * 100 + y4 * 4 + y1 + 1);
    month = 1;
    while (n >= DaysInMonth(year, month)) {
        n -= DaysInMonth(year, month);
        ++month;
    }
    day = static_cast<int>(n) + 1;
}

void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond) {
    int64_t days = 0, ms = 0;
    SplitDateTime(value, days, ms);
    hour = static_cast<int>(ms / 3600000);
    minute = static_cast<int>(ms / 60000 % 60);
    second = static_cast<int>(ms / 1000 % 60);
    millisecond = static_cast<int>(ms % 1000);
}

TDateTime Now() {
    auto now = std::chrono::system_clock::now();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    return FromTimeT(static_cast<time_t>(ms / 1000), static_cast<int>(ms % 1000));
}

TDateTime Date() { return std::trunc(Now()); }

std::string FormatDateTime(std::string_view format, TDateTime value) {
    static const char* const kMonths[12] = {"January", "February", "March",     "April",   "May",      "June",
                                            "July",    "August",   "September", "October", "November", "December"};
    static const char* const kDays[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, ms = 0;
    DecodeDate(value, year, month, day);
    DecodeTime(value, hour, minute, second, ms);
    // Day of the week: 1899-12-30 was a Saturday.
    int64_t wholeDays = static_cast<int64_t>(std::floor(value));
    int weekday = static_cast<int>(((wholeDays + 6) % 7 + 7) % 7);

    // A 12-hour clock is used when the format holds am/pm or a/p.
    std::string lower = LowerCase(format);
    bool twelve = lower.find("am/pm") != std::string::npos || lower.find("a/p") != std::string::npos;

    auto two = [](int v) { return (v < 10 ? "0" : "") + std::to_string(v); };
    std::string out;
    bool lastWasHour = false;
    size_t i = 0;
    const size_t n = format.size();
    auto runOf = [&](char c) {
        size_t k = i;
        while (k < n && std::tolower(static_cast<unsigned char>(format[k])) == c)
            ++k;
        return k - i;
    };
    while (i < n) {
        char c = format[i];
        char lc = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (c == '"' || c == '\'') {
            size_t end = format.find(c, i + 1);
            if (end == std::string_view::npos)
                end = n;
            out += format.substr(i + 1, end - i - 1);
            i = std::min(n, end + 1);
            continue;
        }
        if (lc == 'a' && lower.compare(i, 5, "am/pm") == 0) {
            out += hour < 12 ? format.substr(i, 2) : format.substr(i + 3, 2);
            i += 5;
            continue;
        }
        if (lc == 'a' && lower.compare(i, 3, "a/p") == 0) {
            out += hour < 12 ? format[i] : format[i + 2];
            i += 3;
            continue;
        }
        size_t run = runOf(lc);
        bool hourToken = false;
        switch (lc) {
        case 'y':
            out += run >= 3 ? std::to_string(year) : two(year % 100);
            break;
        case 'm':
            if (lastWasHour && run <= 2) {
                out += run == 2 ? two(minute) : std::to_string(minute);
            } else if (run >= 4) {
                out += month >= 1 ? kMonths[month - 1] : "";
                run = 4;
            } else if (run == 3) {
                out += month >= 1 ? std::string(kMonths[month - 1]).substr(0, 3) : "";
            } else {
                out += run == 2 ? two(month) : std::to_string(month);
            }
            break;
        case 'd':
            if (run >= 4) {
                out += kDays[weekday];
                run = 4;
            } else if (run == 3) {
                out += std::string(kDays[weekday]).substr(0, 3);
            } else {
                out += run == 2 ? two(day) : std::to_string(day);
            }
            break;
        case 'h': {
            int h = hour;
            if (twelve) {
                h = hour % 12;
                if (h == 0)
                    h = 12;
            }
            run = std::min<size_t>(run, 2);
            out += run == 2 ? two(h) : std::to_string(h);
            hourToken = true;
            break;
        }
        case 'n':
            run = std::min<size_t>(run, 2);
            out += run == 2 ? two(minute) : std::to_string(minute);
            break;
        case 's':
            run = std::min<size_t>(run, 2);
            out += run == 2 ? two(second) : std::to_string(second);
            break;
        case 'z':
            if (run >= 3) {
                out += (ms < 100 ? (ms < 10 ? "00" : "0") : "") + std::to_string(ms);
                run = 3;
            } else {
                out += std::to_string(ms);
                run = 1;
            }
            break;
        default:
            out += c;
            run = 1;
            break;
        }
        if (lc != ' ')
            lastWasHour = hourToken || (lastWasHour && !std::isalpha(static_cast<unsigned char>(c)));
        i += run;
    }
    return out;
}

int32_t DateTimeToFileDate(TDateTime value) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, ms = 0;
    DecodeDate(value, year, month, day);
    DecodeTime(value, hour, minute, second, ms);
    if (year < 1980 || year > 2107)
        return 0;
    uint32_t date = static_cast<uint32_t>((year - 1980) << 9 | month << 5 | day);
    uint32_t time = static_cast<uint32_t>(hour << 11 | minute << 5 | second / 2);
    return static_cast<int32_t>(date << 16 | time);
}

TDateTime FileDateToDateTime(int32_t fileDate) {
    uint32_t v = static_cast<uint32_t>(fileDate);
    uint32_t date = v >> 16, time = v & 0xFFFF;
    int year = static_cast<int>(date >> 9) + 1980;
    int month = static_cast<int>(date >> 5 & 15);
    int day = static_cast<int>(date & 31);
    int hour = static_cast<int>(time >> 11);
    int minute = static_cast<int>(time >> 5 & 63);
    int second = static_cast<int>(time & 31) * 2;
    return EncodeDate(year, month, day) + EncodeTime(hour, minute, second, 0);
}

int32_t FileAge(const std::string& fileName) {
    struct stat info {};
    if (fileName.empty() || ::stat(fileName.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
        return -1;
    return DateTimeToFileDate(FromTimeT(info.st_mtime, 0));
}

// ---- Timing

void Sleep(uint32_t milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

uint32_t GetTickCount() {
    auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

}  // namespace lumvor
