#include "imaging/vo_Codec.h"


namespace lumvor {

TRebasedStream::TRebasedStream(TStream& stream) : source_(stream) {
    int64_t position = stream.Position();
    if (position == 0)
        return;
    copy_ = std::make_unique<TMemoryStream>();
    int64_t rest = stream.Size() - position;
    if (rest > 0) {
        copy_->SetSize(rest);
        copy_->SetPosition(0);
        copy_->CopyFrom(stream, rest);
    }
    copy_->SetPosition(0);
}

uint16_t DpiFromPelsPerMeter(double pelsPerMeter) {
    int64_t dpi = Round(pelsPerMeter * 0.0254);
    return dpi >= 0 && dpi <= 65535 ? static_cast<uint16_t>(dpi) : 0;
}

int32_t PelsPerMeterFromDpi(int dpi) {
    return static_cast<int32_t>(Round(dpi * 39.37007874015748));
}

void TCodecGraphic::ReadHeaderFile(const std::string& fileName,
                                   const std::function<void(TStream&)>& readHeader) {
    HeaderStream = TMemoryStream();
    try {
        HeaderStream.LoadFromFile(fileName);
        HeaderStream.SetPosition(0);
        readHeader(HeaderStream);
    } catch (...) {
        HeaderStream = TMemoryStream();  // gives the memory back, not just the size
        throw;
    }
    HeaderStream = TMemoryStream();
}

void TCodecGraphic::ReadGuarded(const std::function<void()>& read) {
    try {
        read();
    } catch (...) {
        FreeImage();
        throw;
    }
}

}  // namespace lumvor
