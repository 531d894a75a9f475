// Writes the seed corpus of every fuzzing entry point with our own writers:
// fuzz_seeds OUTDIR makes OUTDIR/<entry>/ with a few valid inputs each, so
// the fuzzers start from files that get deep into their readers.
#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "animation/uFileLoader.h"
#include "config_ui/uFormText.h"
#include "config_ui/uQVForms.h"
#include "config_ui/uSkinComponents.h"
#include "graphics/Bitmap32.h"
#include "graphics/ImageFormats/BMPWriter.h"
#include "graphics/ImageFormats/ColourProfile.h"
#include "graphics/ImageFormats/ExifOrientation.h"
#include "graphics/ImageFormats/GIFWriter.h"
#include "graphics/ImageFormats/JPEGWriter.h"
#include "graphics/ImageFormats/PNGWriter.h"
#include "graphics/ImageFormats/WebPWriter.h"
#include "graphics/SoundFormats/uWave.h"
#include "project/uBlockContainer.h"

namespace {

namespace fs = std::filesystem;

void Write(const fs::path& file, const std::string& bytes) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}
std::string Text(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

qv::TBitmap32 Picture(int w, int h, uint32_t salt) {
  qv::TBitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, 0xFF000000u | ((x * 37 + y * 11 + salt * 97) & 0xFFFFFF));
  return b;
}

// A picture whose alpha runs from clear to opaque across it.
qv::TBitmap32 Translucent(int w, int h, uint32_t salt) {
  qv::TBitmap32 b = Picture(w, h, salt);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.SetPixel(x, y, (b.Pixel(x, y) & 0xFFFFFF) | static_cast<uint32_t>(x * 255 / (w - 1)) << 24);
  return b;
}

// The same orientation block as ExifBlock, as the cameras that write
// big-endian ("MM") TIFF structures store it, after JPEG's "Exif" prefix.
std::string BigEndianExif(int orientation) {
  std::string block("Exif\0\0MM\0*\0\0\0\x08\0\x01", 16);
  block += std::string("\x01\x12\0\x03\0\0\0\x01\0", 9) + static_cast<char>(orientation) + std::string(6, '\0');
  return block;
}

// A TIFF picture written through libtiff: 8-bit samples, one strip per row
// or 16 x 16 tiles, with an orientation tag and, when given, an ICC profile.
void WriteTiff(const fs::path& file, const qv::TBitmap32& bitmap, const char* mode, int samples, uint16_t compression,
               bool tiled, uint16_t orientation, const std::vector<uint8_t>& profile = {}) {
  fs::create_directories(file.parent_path());
  TIFF* tif = TIFFOpen(file.string().c_str(), mode);
  if (!tif) return;
  const uint32_t w = static_cast<uint32_t>(bitmap.Width()), h = static_cast<uint32_t>(bitmap.Height());
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, samples >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
  TIFFSetField(tif, TIFFTAG_ORIENTATION, orientation);
  if (samples == 4 || samples == 2) {
    const uint16_t extra = EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
  }
  if (!profile.empty()) TIFFSetField(tif, TIFFTAG_ICCPROFILE, static_cast<uint32_t>(profile.size()), profile.data());
  // Samples of a pixel: red, green, blue, alpha; or grey (the green byte), alpha.
  auto sample = [&](uint32_t x, uint32_t y, int s) -> uint8_t {
    const uint32_t c = bitmap.Pixel(static_cast<int>(x), static_cast<int>(y));
    const int shift = samples >= 3 ? (s == 3 ? 24 : 16 - 8 * s) : (s == 1 ? 24 : 8);
    return static_cast<uint8_t>(c >> shift);
  };
  if (tiled) {
    constexpr uint32_t kTile = 16;
    TIFFSetField(tif, TIFFTAG_TILEWIDTH, kTile);
    TIFFSetField(tif, TIFFTAG_TILELENGTH, kTile);
    std::vector<uint8_t> tile(kTile * kTile * samples);
    for (uint32_t ty = 0; ty < h; ty += kTile)
      for (uint32_t tx = 0; tx < w; tx += kTile) {
        std::fill(tile.begin(), tile.end(), 0);
        for (uint32_t y = ty; y < std::min(h, ty + kTile); ++y)
          for (uint32_t x = tx; x < std::min(w, tx + kTile); ++x)
            for (int s = 0; s < samples; ++s) tile[((y - ty) * kTile + (x - tx)) * samples + s] = sample(x, y, s);
        TIFFWriteTile(tif, tile.data(), tx, ty, 0, 0);
      }
  } else {
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 1);
    std::vector<uint8_t> row(size_t{w} * samples);
    for (uint32_t y = 0; y < h; ++y) {
      for (uint32_t x = 0; x < w; ++x)
        for (int s = 0; s < samples; ++s) row[x * samples + s] = sample(x, y, s);
      TIFFWriteScanline(tif, row.data(), y, 0);
    }
  }
  TIFFClose(tif);
}

// HEIC and AVIF seeds: our JPEG or PNG put through libheif's heif-enc, when
// it is installed (the encoders are not a library the engine links).
void WriteHeif(const fs::path& file, const std::string& input, const char* inputName, const std::string& options) {
  if (std::system("command -v heif-enc >/dev/null 2>&1") != 0) return;
  const fs::path scratch = file.parent_path() / "heif-enc-input";
  fs::create_directories(scratch);
  const fs::path source = scratch / inputName;
  Write(source, input);
  const std::string command =
      "heif-enc " + options + " -o '" + file.string() + "' '" + source.string() + "' >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0)
    std::fprintf(stderr, "fuzz_seeds: heif-enc could not write %s\n", file.string().c_str());
  fs::remove_all(scratch);
}

std::string Wave(int rate, int channels, int bits) {
  qv::TWave wave;
  wave.format = qv::PcmFormatBlock(rate, channels, bits);
  for (int i = 0; i < 64 * channels * bits / 8; ++i) wave.data.push_back(static_cast<uint8_t>(i * 7));
  return Text(wave.ToBytes());
}

const char kSettings[] =
    "[General]\r\nProductName=Sea Life\r\n[Default]\r\nDuration=12\r\nTransitionEffects=1,3,\"7\" 168\r\n"
    "[Advance]\r\nMusicFile=a.mp3;;b.wav\r\n[UI]\r\nUIFile=C:\\skins\\x.qvu\r\n";
const char kFileList[] = "[FileListHeader]\r\nHeader=1\r\n[FileList]\r\nQVImage0.jpg=1\r\nQVImage1.bmp=0\r\n";
const char kUser[] = "[Setting]\r\nImageMode=2\r\nIndex=4\r\nSpeed=18\r\n[MusicList]\r\nC:\\m\\a.mp3=\r\n[Files]\r\n0=\r\n2=\r\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds OUTDIR\n");
    return 2;
  }
  const fs::path out = argv[1];
  const qv::TBitmap32 small = Picture(16, 12, 1), odd = Picture(33, 7, 2);
  Write(out / "fuzz_bmp/32.bmp", Text(qv::EncodeBMP32(small)));
  Write(out / "fuzz_bmp/24.bmp", Text(qv::EncodeBMP24(odd)));
  Write(out / "fuzz_jpeg/small.jpg", Text(qv::EncodeJPEG(small, 90)));
  Write(out / "fuzz_jpeg/odd.jpg", Text(qv::EncodeJPEG(odd, 40)));
  Write(out / "fuzz_gif/still.gif", Text(qv::EncodeGIF({small})));
  Write(out / "fuzz_gif/animated.gif", Text(qv::EncodeGIF({small, Picture(16, 12, 5), Picture(16, 12, 9)}, 80)));
  Write(out / "fuzz_wave/mono16.wav", Wave(22050, 1, 16));
  Write(out / "fuzz_wave/stereo8.wav", Wave(8000, 2, 8));
  Write(out / "fuzz_wave/stereo24.wav", Wave(44100, 2, 24));
  Write(out / "fuzz_ini/settings.ini", kSettings);
  Write(out / "fuzz_ini/filelist.ini", kFileList);
  Write(out / "fuzz_ini/user.ini", kUser);
  const std::string settings = qv::BlockContainerBytes({kFileList, kSettings, "[UI]\r\n"});
  Write(out / "fuzz_overlay/project.scr",
        "engine bytes" + qv::BlockContainerBytes({settings, "QVImage0.jpg\r\nC:\\p\\QVImage1.bmp\r\n",
                                                  qv::BlockContainerBytes({Text(qv::EncodeJPEG(small, 80)),
                                                                           Text(qv::EncodeBMP24(odd))}),
                                                  "1\r\n"}));
  qv::TProjectFileParts qvp;
  qvp.title = "Harbour";
  qvp.preview = qv::EncodeJPEG(Picture(8, 6, 3), 80);
  qvp.picture = qv::EncodeJPEG(small, 80);
  qvp.areas[0] = {3, 2, 5, 1, true, false, true, 360, 4, true};
  qvp.mask = {16, 12, 81, 1000, 31, 814};
  qvp.weather = {1, 200, 3, 60, 12, 0};
  qvp.sounds[0] = {"gull.wav", 1, 5, 20};
  qvp.objects = "[Obj0]\r\nObjType=GIF\r\nFilename=gull.gif\r\nMotion=7\r\n[Obj1]\r\nObjType=IMG\r\nDirFlip=1\r\n";
  qvp.build = "[BuildScr],Filename=harbour.scr,\"MusicFile=C:\\My Music\\sea.mp3\",Music=1";
  Write(out / "fuzz_qvp/full.qvp", Text(qv::EncodeProjectFile(qvp)));
  qvp.later = 0;
  Write(out / "fuzz_qvp/old.qvp", Text(qv::EncodeProjectFile(qvp)));
  Write(out / "fuzz_qvp/objects.ini", qvp.objects);
  // A skin of two windows: every kind of value, nested controls, pictures.
  qv::TSkinPicture bitmap;
  bitmap.kind = qv::TGraphicKind::Bitmap;
  bitmap.bitmap = odd;
  qv::TSkinPicture jpeg = bitmap;
  jpeg.kind = qv::TGraphicKind::Jpeg;
  qv::TFormObject main;
  main.name = "MainWindow";
  main.className = "TfmForm";
  main.Set("Caption", qv::TFormValue::Str("It's <ScreensaverName>\r\n"))
      .Set("ClientWidth", qv::TFormValue::Int(320))
      .Set("Color", qv::TFormValue::Ident("clBtnFace"))
      .Set("BorderIcons", qv::TFormValue::SetOf({"biSystemMenu", "biMinimize"}))
      .Set("Font.Style", qv::TFormValue::SetOf({"fsBold"}))
      .Set("OnShow", qv::TFormValue::Ident("FormShow"));
  qv::TFormObject image;
  image.name = "Image1";
  image.className = "TImage";
  image.Set("Align", qv::TFormValue::Ident("alClient")).Set("Picture.Data", qv::TFormValue::Data(qv::PictureData(jpeg, true)));
  main.Add(image);
  qv::TFormObject panel;
  panel.name = "Panel1";
  panel.className = "TPanel";
  qv::TFormObject memo;
  memo.name = "Memo1";
  memo.className = "TMyMemo";
  memo.Set("Lines.Strings", qv::TFormValue::ListOf({qv::TFormValue::Str("one"), qv::TFormValue::Str("two")}));
  panel.Add(memo);
  qv::TFormObject button;
  button.name = "Up";
  button.className = "TMyButton";
  button.Set("ButtonUp.Data", qv::TFormValue::Data(qv::PictureData(bitmap, true)));
  panel.Add(button);
  main.Add(panel);
  qv::TFormObject pages;
  pages.name = "Pages";
  pages.className = "TPageControl";
  qv::TFormObject sheet;
  sheet.name = "Sheet";
  sheet.className = "TTabSheet";
  sheet.Set("Caption", qv::TFormValue::Str("Tab"));
  pages.Add(sheet);
  main.Add(pages);
  qv::TFormObject thumbs;
  thumbs.name = "Thumbs";
  thumbs.className = "TForm";
  qv::TFormObject grid;
  grid.name = "Grid";
  grid.className = "TQVThumbnail2";
  grid.Set("ShowCheckBox", qv::TFormValue::Ident("True")).Set("PictureWidth", qv::TFormValue::Int(80));
  thumbs.Add(grid);
  qv::TAction show;
  show.Type = 1;
  show.Param1 = "Thumbs";
  qv::TFormValue columns;
  columns.kind = qv::TFormValue::TKind::Collection;
  columns.items.push_back({{{"Width", qv::TFormValue::Int(64), 0}}});
  main.Set("Columns", columns);
  const std::string mainText = qv::WriteFormText(main);
  Write(out / "fuzz_skin/skin.qvu", qv::SkinFileText({{mainText, {{"Image1", show}}}, {qv::WriteFormText(thumbs), {}}}));
  Write(out / "fuzz_skin/form.txt", mainText);
  // Photos: PNG of every kind, WebP of every kind, and what they carry beside
  // the pixels (EXIF orientation, ICC profiles), alone for their own readers.
  const std::vector<uint8_t> adobe = qv::MakeRGBProfile(qv::kAdobeRGB1998), p3 = qv::MakeRGBProfile(qv::kDisplayP3);
  const qv::TBitmap32 photo = Picture(24, 16, 4), clear = Translucent(20, 10, 6), square = Picture(64, 48, 7);
  using qv::TPNGKind;
  Write(out / "fuzz_png/colour.png", Text(qv::EncodePNG(photo)));
  Write(out / "fuzz_png/palette-alpha.png", Text(qv::EncodePNG(clear, {.kind = TPNGKind::Palette})));
  Write(out / "fuzz_png/palette4.png", Text(qv::EncodePNG(photo, {.kind = TPNGKind::Palette, .depth = 4})));
  Write(out / "fuzz_png/grey1.png", Text(qv::EncodePNG(odd, {.kind = TPNGKind::Grey, .depth = 1})));
  Write(out / "fuzz_png/grey16.png", Text(qv::EncodePNG(photo, {.kind = TPNGKind::Grey, .depth = 16})));
  Write(out / "fuzz_png/grey-alpha.png", Text(qv::EncodePNG(clear, {.kind = TPNGKind::GreyAlpha})));
  Write(out / "fuzz_png/interlaced.png", Text(qv::EncodePNG(odd, {.interlaced = true})));
  Write(out / "fuzz_png/interlaced-alpha16.png",
        Text(qv::EncodePNG(clear, {.kind = TPNGKind::ColourAlpha, .depth = 16, .interlaced = true})));
  Write(out / "fuzz_png/profile-exif.png", Text(qv::EncodePNG(photo, {.colourProfile = p3, .exif = qv::ExifBlock(6)})));
  Write(out / "fuzz_webp/lossy.webp", Text(qv::EncodeWebP(square, {.quality = 50})));
  Write(out / "fuzz_webp/lossless.webp", Text(qv::EncodeWebP(photo, {.lossless = true})));
  Write(out / "fuzz_webp/alpha.webp", Text(qv::EncodeWebP(clear, {.alpha = true})));
  Write(out / "fuzz_webp/lossless-alpha.webp", Text(qv::EncodeWebP(clear, {.lossless = true, .alpha = true})));
  Write(out / "fuzz_webp/animated.webp",
        Text(qv::EncodeWebP(small, {.quality = 40, .moreFrames = {Picture(16, 12, 5), Picture(16, 12, 9)}})));
  Write(out / "fuzz_webp/profile-exif.webp",
        Text(qv::EncodeWebP(square, {.quality = 60, .colourProfile = adobe, .exif = qv::ExifBlock(8)})));
  for (int orientation = 1; orientation <= 8; ++orientation)
    Write(out / ("fuzz_exif/orientation" + std::to_string(orientation) + ".exif"), Text(qv::ExifBlock(orientation)));
  Write(out / "fuzz_exif/big-endian.exif", BigEndianExif(6));
  Write(out / "fuzz_exif/prefixed.exif", "Exif" + std::string(2, '\0') + Text(qv::ExifBlock(3)));
  Write(out / "fuzz_icc/adobe-rgb.icc", Text(adobe));
  Write(out / "fuzz_icc/display-p3.icc", Text(p3));
  // HEIF, AVIF and TIFF for qvtool's decoders: a colour profile, an EXIF
  // orientation, colour primaries by number, transparency.
  WriteHeif(out / "fuzz_heif/profile-exif.heic",
            Text(qv::EncodeJPEG(photo, 90, {.exif = qv::ExifBlock(6), .colourProfile = p3})), "photo.jpg", "-q 50");
  WriteHeif(out / "fuzz_heif/alpha.heic", Text(qv::EncodePNG(clear, {.kind = TPNGKind::ColourAlpha})), "clear.png",
            "-q 50");
  WriteHeif(out / "fuzz_heif/primaries.avif", Text(qv::EncodeJPEG(photo, 90)), "photo.jpg",
            "-A -q 50 --colour_primaries 12");
  WriteHeif(out / "fuzz_heif/alpha.avif", Text(qv::EncodePNG(clear, {.kind = TPNGKind::ColourAlpha})), "clear.png",
            "-A -q 50");
  WriteTiff(out / "fuzz_heif/rgb-lzw.tif", photo, "w", 3, COMPRESSION_LZW, false, ORIENTATION_RIGHTTOP, adobe);
  WriteTiff(out / "fuzz_heif/rgba-tiled.tif", clear, "w", 4, COMPRESSION_ADOBE_DEFLATE, true, ORIENTATION_BOTRIGHT);
  WriteTiff(out / "fuzz_heif/grey-big-endian.tif", odd, "wb", 1, COMPRESSION_PACKBITS, false, ORIENTATION_TOPLEFT);
  WriteTiff(out / "fuzz_heif/grey-alpha.tif", clear, "w", 2, COMPRESSION_NONE, false, ORIENTATION_LEFTBOT);
  std::printf("seeds written to %s\n", out.string().c_str());
  return 0;
}
