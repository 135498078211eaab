// Readers of AVL slide-show scripts.
//
// A script is an INI-like text: a "[Header]" section (N = slides + 1, RUN, the
// catalog side files @N @V @R @D @C), a "[Directory]" section of "index=folder"
// lines and one section "[1]", "[2]", ... per slide with one-letter keys. In
// names and texts "," is written "?", "[" is written "<" and "]" is written ">".
//
// All state lives in the globals below, so one script is read at a time, on the
// GUI thread. A slide show loads the whole file into AvlScriptStream, sets
// SlideIndex := FindAvlFirstSlide(), reads the header with ReadAvlHeaderStream and
// then calls ReadAvlSlide(1), ReadAvlSlide(2), ... each call moving SlideIndex on
// to the next section.
#pragma once

#include "platform/Classes.h"
#include "platform/Streams.h"

#include <cstdint>
#include <string>

namespace lumvor {

// ---- Module globals

inline TStringList AvlLines;     // the script's lines, or one section's
inline TStringList AvlDirLines;  // the "[Directory]" lines, decoded
inline std::string SlideFileName;
inline TMemoryStream AvlScriptStream;
inline int32_t SlideIndex = 0;   // where the next slide section starts
inline int32_t ScriptRunCount = 0;
inline int32_t AvlSectionLine = -1;
inline std::string CatalogNFile, CatalogVFile, CatalogRFile, CatalogDFile, CatalogCFile;

// The slide last read by ReadAvlSlide.
inline std::string CurFileName;
inline int32_t SlideProperty2 = 0;   // E: effect code
inline int32_t SlideGamma = 100;     // G
inline int32_t SlideZoom = 100;      // Z
inline int32_t SlideDelay = 0;       // W, in milliseconds
inline int32_t SlideTextX = -1, SlideTextY = -1;          // P
inline int32_t SlideTextSize = 0, SlideTextHeight = 0;    // U
inline int32_t SlideRotate = 0;      // Y
inline int32_t SlideExtra = 0;       // X
inline std::string SlideProperty1;   // S: the slide's text
inline int32_t SlideColor = -1;      // B
inline uint8_t SlideHasColor = 0;
inline uint8_t WindowResized = 0;

// ---- Routines

std::string EncodeAvlText(const std::string& Text);
std::string DecodeAvlText(const std::string& Text);

// Loads the script into AvlLines (empty when the file cannot be read); returns 11.
int32_t LoadAvlScript(const std::string& FileName);
// Value of Key in section [Section] of AvlLines (up to the next line holding
// "["); Default when the section or a non-empty value is missing.
void ReadAvlValue(const std::string& Section, const std::string& Key, const std::string& Default,
                  std::string& Value);
// Reads the header from AvlLines; returns the number of slides (N - 1). Raises
// EConvertError when N or RUN is not a number.
int32_t ReadAvlHeader();
// The same for the first SlideIndex bytes of AvlScriptStream; 0 when they hold
// no lines.
int32_t ReadAvlHeaderStream();
// Byte offset of the first "[1]" in AvlScriptStream, or -1.
int32_t FindAvlFirstSlide();
// Byte offset of the first "[N]" at or after SlideIndex + 1, or -1.
int32_t FindAvlSlide(int32_t N);
// Reads the section at SlideIndex into the slide globals and moves SlideIndex to
// the next section; returns the folder index of its F key (0 when none). Raises
// EConvertError for numbers that are not numbers.
int32_t ReadAvlSlide(int32_t N);

}  // namespace lumvor
