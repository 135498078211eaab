// Picture transforms and the small routines the library's codecs share.
//
// TNegativeTransform inverts a picture in place: 1-, 4- and 8-bit grey pictures
// byte by byte on the rows, 4- and 8-bit colour pictures through their palette
// (indices kept), 24-bit pictures pixel by pixel. Failures raise ERuvezevoError.
#pragma once

#include "imaging/vo_DIB.h"
#include "platform/SysUtils.h"

#include <cstdint>
#include <functional>
#include <string>

namespace lumvor {

namespace vo_transf {
inline constexpr const char* SMethodNotImplemented = "Method %s not implemented for %s class";
inline constexpr const char* SLzwNotSupported = "LZW not supported";
}  // namespace vo_transf

// Progress callback: the sender and a percentage 0..100.
using TProgressEvent = std::function<void(void* sender, uint8_t percent)>;

// Value raised to low, then lowered to high.
int32_t Clamp(int32_t value, int32_t low, int32_t high);
// True when every bit of mask is set in value.
bool HasAllBits(uint32_t value, uint32_t mask);
// Percentage of position within low..high, handed to onProgress when it differs
// from lastPercent; 0 without computing when onProgress is unassigned. A range
// of zero width counts as complete (100).
int32_t ReportProgress(void* sender, int32_t position, int32_t low, int32_t lastPercent,
                       int32_t high, const TProgressEvent& onProgress);
// A date as text in the pattern (the pattern letters of FormatDateTime).
std::string FormatDateWith(const std::string& pattern, TDateTime date);
// A time as text in the pattern (the pattern letters of FormatDateTime).
std::string FormatTimeWith(const std::string& pattern, TDateTime time);
// Raises ERuvezevoError "LZW not supported".
[[noreturn]] void RaiseLzwNotSupported();

class TImageTransform {
public:
    virtual ~TImageTransform() = default;
    virtual std::string ClassName() const { return "TImageTransform"; }
    // Transforms image: here through a temporary picture filled by ApplyOnDest.
    virtual void Apply(TDibGraphic& image);
    // Puts the transformed source into dest; here raises "Method "ApplyOnDest" not implemented ...".
    virtual void ApplyOnDest(const TDibGraphic& source, TDibGraphic& dest);

    TProgressEvent OnProgress;
    int32_t LastPercent = 255;

protected:
    void Progress(int32_t position, int32_t low, int32_t high);
};

class TNegativeTransform : public TImageTransform {
public:
    std::string ClassName() const override { return "TNegativeTransform"; }
    void Apply(TDibGraphic& image) override;
    void ApplyOnDest(const TDibGraphic& source, TDibGraphic& dest) override;
};

}  // namespace lumvor
