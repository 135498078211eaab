// The handlers of the keyword table (processing/script/ScriptTable.h): what a
// keyword runs once its values passed the row's checks and its FilterCustom
// values are set, and the binding of each row to its handler.
//
// Image handlers are in ScriptHandlers.cpp; the flow, file, size, crop and turn
// keywords in ScriptFlow.cpp; the bindings in ScriptBindings.cpp. Each handler
// runs its routine through TScriptRun::Call, which also lets the tests record
// the call. The handlers of commands not built yet record their call and do
// nothing else; each such handler is marked where it is defined.
#pragma once

#include "processing/script/ScriptTable.h"

#include <span>
#include <string_view>

namespace lumvor {

class TScriptRun;

using TKeywordHandler = void (*)(TScriptRun& Run, const TScriptArgs& Args);

// A row of the keyword table and the handler it runs.
struct TKeywordBinding {
    std::string_view Keyword;
    TKeywordHandler Handler = nullptr;
};

// One binding for each row of KeywordTable(), in the rows' order. PROMPT has
// no handler: it is the trace point (see TScriptRun).
std::span<const TKeywordBinding> KeywordBindings();

// The handler of Row, a row of KeywordTable(); null for PROMPT.
TKeywordHandler KeywordHandler(const TKeywordRow& Row);

}  // namespace lumvor

namespace lumvor::script {

// ---- Image commands (ScriptHandlers.cpp)
void TextMark(TScriptRun& Run, const TScriptArgs& Args);
void Delace(TScriptRun& Run, const TScriptArgs& Args);
void BorderBands(TScriptRun& Run, const TScriptArgs& Args);
void ZeroMap(TScriptRun& Run, const TScriptArgs& Args);
void Negative(TScriptRun& Run, const TScriptArgs& Args);
void BlendHighLow(TScriptRun& Run, const TScriptArgs& Args);
void MapRGBPlain(TScriptRun& Run, const TScriptArgs& Args);
void MapRGBAverage(TScriptRun& Run, const TScriptArgs& Args);
void MapLightness(TScriptRun& Run, const TScriptArgs& Args);
void ConformTone(TScriptRun& Run, const TScriptArgs& Args);
void ConformGamma(TScriptRun& Run, const TScriptArgs& Args);
void ConformDataLine(TScriptRun& Run, const TScriptArgs& Args);
void Optimize(TScriptRun& Run, const TScriptArgs& Args);
void Equalize(TScriptRun& Run, const TScriptArgs& Args);
void WhiteBalance(TScriptRun& Run, const TScriptArgs& Args);
void MapEqualize(TScriptRun& Run, const TScriptArgs& Args);
void MapSaturation(TScriptRun& Run, const TScriptArgs& Args);
void BlendBack(TScriptRun& Run, const TScriptArgs& Args);
void ChannelFamily(TScriptRun& Run, const TScriptArgs& Args);
void Reference(TScriptRun& Run, const TScriptArgs& Args);
void AutoFlash(TScriptRun& Run, const TScriptArgs& Args);
void AutoGamma(TScriptRun& Run, const TScriptArgs& Args);
void AutoEqualize(TScriptRun& Run, const TScriptArgs& Args);
void AutoReference(TScriptRun& Run, const TScriptArgs& Args);
void AutoBalance(TScriptRun& Run, const TScriptArgs& Args);
void AutoWhite(TScriptRun& Run, const TScriptArgs& Args);
void Limit(TScriptRun& Run, const TScriptArgs& Args);
void Duplicate(TScriptRun& Run, const TScriptArgs& Args);
void Swap(TScriptRun& Run, const TScriptArgs& Args);
void CopyToBackUp(TScriptRun& Run, const TScriptArgs& Args);
void CopyFromBackUp(TScriptRun& Run, const TScriptArgs& Args);
void Average(TScriptRun& Run, const TScriptArgs& Args);
void TwoImage(TScriptRun& Run, const TScriptArgs& Args);
void Descreen(TScriptRun& Run, const TScriptArgs& Args);
void Blur(TScriptRun& Run, const TScriptArgs& Args);
void Median(TScriptRun& Run, const TScriptArgs& Args);
void Soften(TScriptRun& Run, const TScriptArgs& Args);
void Sharpen(TScriptRun& Run, const TScriptArgs& Args);
void Interlace(TScriptRun& Run, const TScriptArgs& Args);
void ColourMask(TScriptRun& Run, const TScriptArgs& Args);
void CompositeMask(TScriptRun& Run, const TScriptArgs& Args);
void Gamma(TScriptRun& Run, const TScriptArgs& Args);
void MultiplyMask(TScriptRun& Run, const TScriptArgs& Args);
void GammaSuppress(TScriptRun& Run, const TScriptArgs& Args);
void Gray(TScriptRun& Run, const TScriptArgs& Args);
void ToneMaps(TScriptRun& Run, const TScriptArgs& Args);
void PixFilter(TScriptRun& Run, const TScriptArgs& Args);
void Lighting(TScriptRun& Run, const TScriptArgs& Args);
void Saturation(TScriptRun& Run, const TScriptArgs& Args);
void GammaSaturation(TScriptRun& Run, const TScriptArgs& Args);
void UnsharpMask(TScriptRun& Run, const TScriptArgs& Args);
void Clean(TScriptRun& Run, const TScriptArgs& Args);
void MaskEdges(TScriptRun& Run, const TScriptArgs& Args);
void FilmNoir(TScriptRun& Run, const TScriptArgs& Args);
void Defog(TScriptRun& Run, const TScriptArgs& Args);
void ZeroShift(TScriptRun& Run, const TScriptArgs& Args);
void Hls(TScriptRun& Run, const TScriptArgs& Args);
void Posterize(TScriptRun& Run, const TScriptArgs& Args);
void Quantize(TScriptRun& Run, const TScriptArgs& Args);
void ParametricEq(TScriptRun& Run, const TScriptArgs& Args);
void Depixelate(TScriptRun& Run, const TScriptArgs& Args);
void Mosaic(TScriptRun& Run, const TScriptArgs& Args);
void AirBrush(TScriptRun& Run, const TScriptArgs& Args);
void Artifact(TScriptRun& Run, const TScriptArgs& Args);
void Centre(TScriptRun& Run, const TScriptArgs& Args);

// ---- Flow, files, buffers, sizes, crops and turns (ScriptFlow.cpp)
void BenchmarkStart(TScriptRun& Run, const TScriptArgs& Args);
void BenchmarkEnd(TScriptRun& Run, const TScriptArgs& Args);
void Reload(TScriptRun& Run, const TScriptArgs& Args);
void NoModifyFlag(TScriptRun& Run, const TScriptArgs& Args);
void NextImage(TScriptRun& Run, const TScriptArgs& Args);
void PreviousImage(TScriptRun& Run, const TScriptArgs& Args);
void Trace(TScriptRun& Run, const TScriptArgs& Args);
void PromptString(TScriptRun& Run, const TScriptArgs& Args);
void LoadFile(TScriptRun& Run, const TScriptArgs& Args);
void PromptFileName(TScriptRun& Run, const TScriptArgs& Args);
void DeleteFile(TScriptRun& Run, const TScriptArgs& Args);
void Loop(TScriptRun& Run, const TScriptArgs& Args);
void Crop(TScriptRun& Run, const TScriptArgs& Args);
void CropEx(TScriptRun& Run, const TScriptArgs& Args);
void Save(TScriptRun& Run, const TScriptArgs& Args);
void ClearBuffers(TScriptRun& Run, const TScriptArgs& Args);
void TrueColor(TScriptRun& Run, const TScriptArgs& Args);
void Refresh(TScriptRun& Run, const TScriptArgs& Args);
void SizeByPerCent(TScriptRun& Run, const TScriptArgs& Args);
void SizeBySides(TScriptRun& Run, const TScriptArgs& Args);
void Downsample(TScriptRun& Run, const TScriptArgs& Args);
void Flip(TScriptRun& Run, const TScriptArgs& Args);
void Rotate(TScriptRun& Run, const TScriptArgs& Args);

}  // namespace lumvor::script
