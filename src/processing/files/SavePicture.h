// Writing the image window's picture to a file, without the window.
//
// The save dialog offers twelve file types (the filter index is the type
// code): BMP, PCX, PNG, grey and colour JPEG, TGA and six TIFF variants, the
// last three (fax and PackBits) only for 1-bit pictures. EncodePicture writes a
// picture in one of them into a memory stream; the caller then puts the whole
// stream on disk at once (TMemoryStream::SaveToFile writes a scratch file in the
// target folder and renames it over the old file only after a complete write),
// so a failed encode or a failed write never touches an existing file.
//
// JPEG files may carry the recorded Lab script as a comment: a COM segment
// placed right after the file's first segment. BMP file images are normalised
// so that the pixel data follow the colour table directly.
#pragma once

#include "platform/Graphics.h"
#include "platform/Streams.h"

#include <cstdint>
#include <string>

namespace lumvor {

class TDibGraphic;

namespace SavePicture {
// The maker's web address, named in the encoder comment of saved JPEG files.
inline constexpr const char* MakerWebAddress = "www.quorvane.com/lumvor";
// Number of file types the save dialog can offer (12 for 1-bit pictures, else 9).
inline constexpr int SaveTypeCount = 12;
// Comments longer than this are replaced by the short encoder note.
inline constexpr std::size_t JpegCommentLimit = 32000;
// The comment buffer: at most this many characters less one are written.
inline constexpr std::size_t CommentBufferSize = 32201;
// Filter indexes of the types.
inline constexpr int stBmp = 1, stPcx = 2, stPng = 3, stJpegGray = 4, stJpegColor = 5, stTga = 6,
                     stTif = 7, stTifZLib = 8, stTifAdobe = 9, stTifFax3 = 10, stTifFax4 = 11,
                     stTifPackbits = 12;
}  // namespace SavePicture

// The save dialog's filter: nine types, twelve for a 1-bit picture.
std::string SaveDialogFilter(int BitCount);
// The default extension of a filter index, lower case without the dot ("tif"
// for 0 and for every index above 6).
std::string SaveDefaultExt(int FilterIndex);
// Name with its extension forced to DefaultExt: unless it already ends in
// "." + DefaultExt (ignoring case), an existing extension is cut off and
// "." + DefaultExt (lower case) appended.
std::string ForceSaveExtension(const std::string& Name, const std::string& DefaultExt);

// The comment text composed from the Lab script: the encoder line, "Lab
// Commands:", the script and two NUL characters.
std::string ComposeJpegComment(const std::string& Script);
// The characters actually written for a composed comment: the text up to its
// first NUL, or the short encoder note when that is longer than
// JpegCommentLimit characters.
std::string JpegCommentToWrite(const std::string& CommentText);
// Copies the JPEG file image Jpeg into Out with one COM segment holding Comment
// inserted right after its first segment (offset N + 4 for a first segment of
// length N). Raises EInvalidGraphic when Jpeg does not have a complete first
// segment or the comment does not fit one segment.
void InsertJpegComment(const TMemoryStream& Jpeg, const std::string& Comment, TMemoryStream& Out);

// Normalises the BMP file image in Stream: when its pixel data (the last
// biSizeImage bytes) do not start at bfOffBits, the colour counts are cleared,
// the pixels are moved to bfOffBits and the stream is cut after them. True when
// the stream was changed; an image too short or inconsistent to fix is left as
// it is.
bool FixBitmapStream(TMemoryStream& Stream);

// Fills an image-library codec from a bitmap: with a palette the codec takes the
// bitmap at its depth and its palette, without one it imports the pixels.
void CodecFromBitmap(TDibGraphic& Codec, TBitmap& Bitmap);
// The codec's picture into the bitmap at the codec's depth and with its colour
// table. Raises EInvalidGraphic when the codec is empty.
void BitmapFromCodec(TBitmap& Bitmap, const TDibGraphic& Codec);

// Makes the bitmap 8 bits per pixel; a 1- or 4-bit picture keeps its colours
// and palette exactly.
void WidenToEightBits(TBitmap& Bitmap);

// How one save is written.
struct TSaveOptions {
    int FilterIndex = SavePicture::stBmp;
    int Quality = 75;          // JPEG quality 1..99
    bool Progressive = false;  // progressive JPEG, interlaced PNG
    bool WithComment = false;  // JPEG: insert Comment (the characters to write)
    std::string Comment;
};

// Encodes Bitmap as the file type of Options into Out (cleared first). Raises
// on any failure, including an encoder failure and an unknown filter index.
void EncodePicture(TBitmap& Bitmap, const TSaveOptions& Options, TMemoryStream& Out);

// Why a picture could not be written to FileName, in plain words about the
// chosen file or its folder, from the system's error number (0: unknown).
std::string SaveFailureReason(const std::string& FileName, int ErrorCode);

}  // namespace lumvor
