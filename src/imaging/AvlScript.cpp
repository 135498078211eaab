#include "imaging/AvlScript.h"

#include "platform/SysUtils.h"

#include <algorithm>
#include <cstring>

namespace lumvor {

namespace {

std::string Replace(std::string text, char from, char to) {
    std::replace(text.begin(), text.end(), from, to);
    return text;
}

bool HoldsEscapes(const std::string& text) { return text.find_first_of("?<>") != std::string::npos; }

// Loads AvlLines from count bytes of AvlScriptStream starting at start, with the
// list's text rules (line ends, the encoding of old scripts).
void LoadLinesFromScript(int64_t start, int64_t count) {
    TMemoryStream part;
    if (count > 0) part.WriteBuffer(AvlScriptStream.Memory() + start, count);
    part.SetPosition(0);
    AvlLines.LoadFromStream(part);
}

// Byte offset of the first occurrence of text in AvlScriptStream at or after
// from; -1 when there is none.
int32_t FindInScript(const std::string& text, int64_t from) {
    const int64_t size = AvlScriptStream.Size();
    if (from < 0) from = 0;
    if (text.empty() || from >= size) return -1;
    const char* base = reinterpret_cast<const char*>(AvlScriptStream.Memory());
    const char* end = base + size;
    const char* hit = std::search(base + from, end, text.begin(), text.end());
    return hit == end ? -1 : static_cast<int32_t>(hit - base);
}

// Splits value at its first "," into two integers; false when it has none.
bool ReadPair(const std::string& value, int32_t& first, int32_t& second) {
    const size_t comma = value.find(',');
    if (comma == std::string::npos) return false;
    first = StrToInt(value.substr(0, comma));
    second = StrToInt(value.substr(comma + 1));
    return true;
}

}  // namespace

std::string EncodeAvlText(const std::string& Text) {
    return Replace(Replace(Replace(Text, ',', '?'), '[', '<'), ']', '>');
}

std::string DecodeAvlText(const std::string& Text) {
    return Replace(Replace(Replace(Text, '?', ','), '<', '['), '>', ']');
}

int32_t LoadAvlScript(const std::string& FileName) {
    SlideFileName = FileName;
    AvlLines.Clear();
    try {
        AvlLines.LoadFromFile(FileName);
    } catch (const Exception&) {
        AvlLines.Clear();
    }
    return 11;
}

void ReadAvlValue(const std::string& Section, const std::string& Key, const std::string& Default,
                  std::string& Value) {
    Value = Default;
    AvlSectionLine = AvlLines.IndexOf("[" + Section + "]");
    if (AvlSectionLine < 0) return;
    for (int i = AvlSectionLine + 1; i < AvlLines.Count(); ++i) {
        const std::string& line = AvlLines.At(i);
        if (line.find('[') != std::string::npos) break;
        const size_t equals = line.find('=');
        if (equals == std::string::npos || !SameText(line.substr(0, equals), Key)) continue;
        const std::string value = line.substr(equals + 1);
        if (!value.empty()) Value = value;
        return;
    }
}

int32_t ReadAvlHeader() {
    std::string value;
    ReadAvlValue("Header", "N", "0", value);
    const int32_t count = StrToInt(value) - 1;
    ReadAvlValue("Header", "@N", "", CatalogNFile);
    ReadAvlValue("Header", "@V", "", CatalogVFile);
    ReadAvlValue("Header", "@R", "", CatalogRFile);
    ReadAvlValue("Header", "@D", "", CatalogDFile);
    ReadAvlValue("Header", "@C", "", CatalogCFile);
    ReadAvlValue("Header", "RUN", "1", value);
    ScriptRunCount = StrToInt(value);

    AvlDirLines.Clear();
    AvlDirLines.SetCapacity(2048);
    const int dir = AvlLines.IndexOf("[Directory]");
    if (dir >= 0) {
        for (int i = dir + 1; i < AvlLines.Count(); ++i) {
            const std::string& line = AvlLines.At(i);
            if (line.find('[') != std::string::npos) break;
            AvlDirLines.Add(HoldsEscapes(line) ? DecodeAvlText(line) : line);
        }
    }
    return count;
}

int32_t ReadAvlHeaderStream() {
    const int64_t length = std::clamp<int64_t>(SlideIndex, 0, AvlScriptStream.Size());
    LoadLinesFromScript(0, length);
    if (AvlLines.Count() < 1) return 0;
    return ReadAvlHeader();
}

int32_t FindAvlFirstSlide() { return FindInScript("[1]", 0); }

int32_t FindAvlSlide(int32_t N) { return FindInScript("[" + IntToStr(N) + "]", static_cast<int64_t>(SlideIndex) + 1); }

int32_t ReadAvlSlide(int32_t N) {
    // The section runs up to the next "[" (or the end); it is read whole.
    const int64_t size = AvlScriptStream.Size();
    const int64_t start = std::clamp<int64_t>(SlideIndex, 0, size);
    const int32_t next = FindInScript("[", start + 1);
    const int64_t end = next < 0 ? size : next;
    LoadLinesFromScript(start, end - start);
    SlideIndex = static_cast<int32_t>(end);

    const std::string key = "[" + IntToStr(N) + "]";
    if (AvlLines.Count() > 0 && AvlLines.At(0).compare(0, key.size(), key) == 0) {
        AvlSectionLine = 0;
    } else {
        AvlSectionLine = AvlLines.IndexOf(key);
    }
    CurFileName.clear();

    std::vector<std::string> keyLines;
    if (AvlSectionLine >= 0) {
        for (int i = AvlSectionLine + 1; i < AvlLines.Count(); ++i) {
            const std::string& line = AvlLines.At(i);
            if (line.size() > 2 && line[0] == '[') break;
            if (line.size() > 2 && line[1] == '=') keyLines.push_back(line);
        }
    }

    SlideProperty2 = 0;
    SlideGamma = 100;
    SlideZoom = 100;
    SlideDelay = 0;
    SlideTextX = -1;
    SlideTextY = -1;
    SlideTextSize = 0;
    SlideTextHeight = 0;
    SlideRotate = 0;
    SlideExtra = 0;
    SlideProperty1.clear();
    SlideColor = -1;
    SlideHasColor = 0;
    WindowResized = 0;
    int32_t folder = 0;

    for (const std::string& line : keyLines) {
        const std::string value = line.substr(2);
        switch (line[0]) {
        case 'B':
            SlideColor = StrToInt("$" + value);
            SlideHasColor = 1;
            WindowResized = 1;
            break;
        case 'E': SlideProperty2 = StrToInt("$" + value); break;
        case 'G': SlideGamma = StrToInt("$" + value); break;
        case 'P': ReadPair(value, SlideTextX, SlideTextY); break;
        case 'U': ReadPair(value, SlideTextSize, SlideTextHeight); break;
        case 'W': SlideDelay = static_cast<int32_t>(static_cast<int64_t>(StrToInt(value)) * 1000); break;
        case 'X': SlideExtra = StrToInt(value); break;
        case 'Y': SlideRotate = StrToInt(value); break;
        case 'Z': SlideZoom = StrToInt(value); break;
        case 'S': SlideProperty1 = HoldsEscapes(value) ? DecodeAvlText(value) : value; break;
        case 'F': {
            const size_t comma = value.find(',');
            if (comma == std::string::npos) {
                CurFileName = std::string(30, '-');
                folder = 0;
                break;
            }
            const std::string index = value.substr(comma + 1);
            folder = StrToInt(index.empty() ? std::string("0") : index);
            std::string name = value.substr(0, comma);
            if (HoldsEscapes(name)) name = DecodeAvlText(name);
            if (ExtractFileExt(name).empty()) name += ".JPG";
            CurFileName = name;
            break;
        }
        default: break;
        }
    }
    return folder;
}

}  // namespace lumvor
