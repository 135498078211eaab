// Exceptions and the system helper routines every module uses.
//
// The program's `string` is std::string holding UTF-8; lengths and positions are
// in bytes. Every exception of the program derives from `Exception` and carries
// one message text.
//
// Number and date texts use '.' as decimal separator, ',' as thousands separator,
// '/' as date separator and ':' as time separator, whatever the user's locale.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

namespace lumvor {

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const std::string& Message() const { return message_; }
    void SetMessage(std::string message) { message_ = std::move(message); }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// Declares an exception class that adds nothing but its type to its base.
#define LUMVOR_EXCEPTION(Name, Base)        \
    class Name : public Base {              \
    public:                                 \
        using Base::Base;                   \
    }

LUMVOR_EXCEPTION(EConvertError, Exception);
LUMVOR_EXCEPTION(EListError, Exception);
LUMVOR_EXCEPTION(EOutOfMemory, Exception);
LUMVOR_EXCEPTION(EInOutError, Exception);
// A stream failure; ErrorCode is the system's error number when a system call
// failed (0 otherwise), so callers can say what went wrong in their own words.
class EStreamError : public Exception {
public:
    using Exception::Exception;
    EStreamError(const std::string& message, int errorCode) : Exception(message), ErrorCode(errorCode) {}
    int ErrorCode = 0;
};
LUMVOR_EXCEPTION(EReadError, EStreamError);
LUMVOR_EXCEPTION(EWriteError, EStreamError);
LUMVOR_EXCEPTION(EFileStreamError, EStreamError);
LUMVOR_EXCEPTION(EFOpenError, EFileStreamError);
LUMVOR_EXCEPTION(EFCreateError, EFileStreamError);
LUMVOR_EXCEPTION(EInvalidGraphic, Exception);
LUMVOR_EXCEPTION(EInvalidOperation, Exception);

// ---- Format

// One argument of Format: an integer, a floating-point number, a text or a
// pointer. Built implicitly from the argument values; `char` is a one-character
// text, `signed char`/`unsigned char` are numbers.
class FormatArg {
public:
    enum class Kind { Int, UInt, Float, Text, Pointer };

    FormatArg(bool value) : kind_(Kind::Int), int_(value ? 1 : 0) {}
    FormatArg(char value) : kind_(Kind::Text), text_(1, value) {}
    FormatArg(signed char value) : kind_(Kind::Int), int_(value) {}
    FormatArg(unsigned char value) : kind_(Kind::Int), int_(value) {}
    FormatArg(short value) : kind_(Kind::Int), int_(value) {}
    FormatArg(unsigned short value) : kind_(Kind::Int), int_(value) {}
    FormatArg(int value) : kind_(Kind::Int), int_(value) {}
    FormatArg(unsigned value) : kind_(Kind::Int), int_(value) {}
    FormatArg(long value) : kind_(Kind::Int), int_(value), wide_(true) {}
    FormatArg(long long value) : kind_(Kind::Int), int_(value), wide_(true) {}
    FormatArg(unsigned long value) : kind_(Kind::UInt), uint_(value) {}
    FormatArg(unsigned long long value) : kind_(Kind::UInt), uint_(value) {}
    FormatArg(float value) : kind_(Kind::Float), float_(value) {}
    FormatArg(double value) : kind_(Kind::Float), float_(value) {}
    FormatArg(long double value) : kind_(Kind::Float), float_(static_cast<double>(value)) {}
    FormatArg(const char* value) : kind_(Kind::Text), text_(value ? value : "") {}
    FormatArg(std::string_view value) : kind_(Kind::Text), text_(value) {}
    FormatArg(const std::string& value) : kind_(Kind::Text), text_(value) {}
    FormatArg(const void* value) : kind_(Kind::Pointer), pointer_(value) {}

    Kind GetKind() const { return kind_; }
    int64_t Int() const { return int_; }
    uint64_t UInt() const { return uint_; }
    double Float() const { return float_; }
    const std::string& Text() const { return text_; }
    const void* Pointer() const { return pointer_; }
    // True for 64-bit integer types: %u and %x show their negative values in 64 bits.
    bool Wide() const { return wide_; }

private:
    Kind kind_;
    int64_t int_ = 0;
    bool wide_ = false;
    uint64_t uint_ = 0;
    double float_ = 0;
    std::string text_;
    const void* pointer_ = nullptr;
};

// Formats like printf with the class library's specifiers:
//   "%" ["index:"] ["-"] [width] ["." precision] type, width/precision may be "*".
//   d  decimal integer; precision = minimum digits, padded with zeros ("%3.3d" -> "007")
//   u  unsigned decimal; x upper-case hexadecimal (precision = minimum digits);
//      negative values show their two's complement in the width of their type
//   f  fixed, precision decimals (default 2); e scientific (default 15 digits, "E+000");
//   g  general (shortest of 15 significant digits); n fixed with thousands separators
//   s  text; precision = maximum length
//   p  pointer as upper-case hexadecimal
//   %% one "%"
// Width pads with blanks on the left ("-": on the right). Integers are accepted
// for f, e, g and n. A missing argument, a floating-point or text value for d/u/x,
// a number for s, or an unknown type raises EConvertError
// "Format '<format>' invalid or incompatible with argument".
std::string Format(std::string_view format, std::initializer_list<FormatArg> args);

template <class... Args>
std::string Format(std::string_view format, const Args&... args) {
    return Format(format, std::initializer_list<FormatArg>{FormatArg(args)...});
}

// Formats Value by a picture of digit placeholders:
//   "0" a digit always shown, "#" a digit shown when significant, "." the decimal
//   point (shown only when decimals follow), "," anywhere before the point turns on
//   thousands separators, "'...'" and "\"...\"" literal text, ";" separates the
//   sections for positive, negative and zero values; every other character is
//   literal. Integer digits beyond the placeholders are all shown. Rounds halves
//   away from zero on the 15 significant digits of the value. An empty format gives
//   FloatToStr(value). Examples: ("######.00", 1234.5) -> "1234.50",
//   ("#,##0", 1234567) -> "1,234,567", ("#.00", 0.5) -> ".50".
std::string FormatFloat(std::string_view format, double value);

// ---- Integers and numbers

std::string IntToStr(int64_t value);
// Upper-case hexadecimal with at least `digits` digits. Negative values show
// their two's complement in the width of the argument type (32 or 64 bits).
std::string IntToHex(int32_t value, int digits);
std::string IntToHex(uint32_t value, int digits);
std::string IntToHex(int64_t value, int digits);
std::string IntToHex(uint64_t value, int digits);

// Reads a 32-bit integer: leading blanks, an optional sign, then decimal digits,
// or "$" / "0x" followed by hexadecimal digits (hexadecimal values up to $FFFFFFFF
// wrap to the signed range, "$FFFFFFFF" is -1). Anything else, trailing blanks
// included, or a value out of range raises EConvertError
// "'<text>' is not a valid integer value".
int32_t StrToInt(const std::string& text);
int32_t StrToIntDef(const std::string& text, int32_t defaultValue);
// StrToInt that answers false (and leaves value alone) where StrToInt raises.
bool TryStrToInt(const std::string& text, int32_t& value);
// The same rules for 64-bit values.
int64_t StrToInt64(const std::string& text);

// Reads a decimal number with optional sign, "." decimals and exponent, blanks
// around it allowed; raises EConvertError "'<text>' is not a valid floating point value".
double StrToFloat(const std::string& text);
// Shortest text of the value with at most 15 significant digits; scientific
// ("1E-5", "1.5E20") when the exponent is below -4 or above 14.
std::string FloatToStr(double value);

// Rounds to the nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
int64_t Round(double value);
// Drops the fraction (toward zero).
int64_t Trunc(double value);
// number * numerator / denominator with a 64-bit product, rounded half away from
// zero; -1 when denominator is 0 or the result does not fit in 32 bits.
int32_t MulDiv(int32_t number, int32_t numerator, int32_t denominator);

// ---- Random numbers: one generator for the whole program, seeded by RandSeed.

// The state of the generator; a test sets it to get a known sequence.
extern uint32_t RandSeed;
// Seeds RandSeed from the clock.
void Randomize();
// A value in [0, 1).
double Random();
// An integer in [0, range); 0 when range <= 0.
int32_t Random(int32_t range);

// ---- Texts (byte positions, 1-based where the class library counts from 1)

std::string UpperCase(std::string_view text);  // ASCII letters only
std::string LowerCase(std::string_view text);  // ASCII letters only
// Removes the characters at or below the blank (control characters) at the ends.
std::string Trim(std::string_view text);
std::string TrimLeft(std::string_view text);
std::string TrimRight(std::string_view text);
// 1-based byte position of the first occurrence of sub in text; 0 when absent
// or sub is empty.
int Pos(std::string_view sub, std::string_view text);
// Up to count bytes of text from the 1-based position index; index below 1 counts
// as 1; an index past the end or a count below 1 gives "".
std::string Copy(std::string_view text, int index, int count);

// Case-insensitive comparison used by the string lists: negative, 0 or positive.
// ASCII letters are folded to lower case; texts with other UTF-8 characters are
// compared with Unicode case folding.
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);

// ---- File names (POSIX: "/" is the only delimiter)

constexpr char PathDelim = '/';

// "dir/sub/name.ext" -> "dir/sub/"
std::string ExtractFilePath(std::string_view fileName);
// "dir/sub/name.ext" -> "dir/sub"; "/name" -> "/"
std::string ExtractFileDir(std::string_view fileName);
// "dir/sub/name.ext" -> "name.ext"
std::string ExtractFileName(std::string_view fileName);
// "dir/sub/name.ext" -> ".ext" (with the dot; "" when the name has no dot)
std::string ExtractFileExt(std::string_view fileName);
// Replaces the extension of the name part (or appends extension when there is none);
// extension includes its dot.
std::string ChangeFileExt(std::string_view fileName, std::string_view extension);
std::string IncludeTrailingPathDelimiter(std::string_view path);
// Removes one trailing "/" (the root "/" stays).
std::string ExcludeTrailingPathDelimiter(std::string_view path);

// ---- Files

// True for an existing file that is not a folder (symbolic links followed).
bool FileExists(const std::string& fileName);
bool DirectoryExists(const std::string& directory);
// Creates the folder and every missing parent; true when the folder exists afterwards.
bool ForceDirectories(const std::string& directory);
// Removes a file (not a folder); true on success.
bool DeleteFile(const std::string& fileName);
// Renames or moves oldName to newName on the same file system. Never replaces an
// existing newName: fails (false) when it exists. Atomic where the file system
// supports it; on file systems that support neither an exclusive rename nor hard
// links the check for an existing target and the rename are two steps.
bool RenameFile(const std::string& oldName, const std::string& newName);

// ---- Dates and times

// Days since 1899-12-30 00:00; the fraction is the time of day. Local time.
using TDateTime = double;

TDateTime Now();
TDateTime Date();
// Raises EConvertError "Invalid argument to date encode" / "... time encode".
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond);

// Formats a date-time by tokens (letters case-insensitive):
//   yyyy year, yy two-digit year, m/mm month (minutes right after h/hh),
//   mmm/mmmm month name, d/dd day, ddd/dddd day name, h/hh hour, n/nn minute,
//   s/ss second, z/zzz milliseconds, am/pm and a/p (12-hour clock),
//   "/" date separator, ":" time separator, '...' and "..." literal text.
std::string FormatDateTime(std::string_view format, TDateTime value);

// DOS date-time of a file's last write, local time (date in the high 16 bits,
// time in the low 16 bits); -1 when the file does not exist.
int32_t FileAge(const std::string& fileName);
// Raises EConvertError when the value holds no valid date (0, for example).
TDateTime FileDateToDateTime(int32_t fileDate);
// 0 for years outside 1980..2107.
int32_t DateTimeToFileDate(TDateTime value);

// ---- Timing

// Blocks the calling thread.
void Sleep(uint32_t milliseconds);
// Milliseconds since an arbitrary start (wraps after 49.7 days).
uint32_t GetTickCount();

}  // namespace lumvor
