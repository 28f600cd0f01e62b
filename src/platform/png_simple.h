// A direct decoder for the PNG files converters write: 8-bit RGB or RGBA, not interlaced, no
// colour key. Under Wine the imaging component takes several times longer for these than the
// inflate and unfiltering they need; every other PNG is left to the full decoder.
#pragma once

#include <optional>
#include <string_view>

#include "base/picture.h"

namespace pictara {

enum class SimplePngResult { Decoded, NotSimple, Damaged };

// Decodes `bytes` into `image` when the file is of the simple kind. NotSimple: another layout
// (the full decoder decides); Damaged: a simple header but broken data. Every length and size is
// checked before it is used.
SimplePngResult DecodeSimplePng(std::string_view bytes, PngImage& image);

// False when the file's image data cannot make the picture its header declares. Deflate gives at
// most 1032 bytes for each byte it reads, so a header that claims more than that many times the
// data there is (a file cut short, or a lying size such as 100000 x 100000) is refused before the
// picture's memory is taken. True for anything that is no PNG with a header: the decoder decides.
bool PngDataCanFillPicture(std::string_view bytes);

// False when a chunk other than image data, before the end chunk, claims more bytes than the file
// has after it. A decoder that takes a chunk's memory before reading it would otherwise ask for
// what the length field says (up to 2 GB) for a file of a few hundred bytes; such a file cannot be
// read whole anyway. A cut-short image data chunk is left to the decoder, which streams it. True
// for anything that is no PNG.
bool PngChunksFitFile(std::string_view bytes);

}  // namespace pictara
