// JPEG files through libjpeg-turbo, with an error manager that returns to the
// caller instead of ending the process.
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>

#include "vic32_internal.h"

namespace {

struct ErrorManager {
  jpeg_error_mgr pub;
  jmp_buf back;
};

void OnError(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->back, 1);
}

void Quiet(j_common_ptr, int) {}

// Everything that outlives a longjmp is plain data made before setjmp.
struct Decode {
  jpeg_decompress_struct cinfo;
  ErrorManager error;
  JSAMPROW row;
};

// Reads the header; 0 when it names an image the library takes.
int Header(Decode& d, const std::vector<unsigned char>& bytes) {
  d.cinfo.err = jpeg_std_error(&d.error.pub);
  d.error.pub.error_exit = OnError;
  d.error.pub.emit_message = Quiet;
  jpeg_create_decompress(&d.cinfo);
  jpeg_mem_src(&d.cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  if (jpeg_read_header(&d.cinfo, TRUE) != JPEG_HEADER_OK) return kVicBadFile;
  if (d.cinfo.image_width < 1 || d.cinfo.image_height < 1 || d.cinfo.image_width > static_cast<unsigned>(kVicMaxSide) ||
      d.cinfo.image_height > static_cast<unsigned>(kVicMaxSide))
    return kVicBadRange;
  return 0;
}

int LoadInto(Decode& d, const std::vector<unsigned char>& bytes, imgdes* image, std::vector<unsigned char>* row) {
  if (setjmp(d.error.back) != 0) return kVicBadFile;
  int result = Header(d, bytes);
  if (result != 0) return result;
  const bool grey = d.cinfo.num_components == 1;
  d.cinfo.out_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  const int bits = grey ? 8 : 24;
  if (image->bmh == nullptr || image->bmh->biBitCount != bits) return kVicBadRange;
  jpeg_start_decompress(&d.cinfo);
  const unsigned width = image->endx - image->stx + 1;
  const unsigned height = image->endy - image->sty + 1;
  const unsigned columns = std::min<unsigned>(width, d.cinfo.output_width);
  row->assign(static_cast<size_t>(d.cinfo.output_width) * static_cast<size_t>(d.cinfo.output_components), 0);
  d.row = row->data();
  while (d.cinfo.output_scanline < d.cinfo.output_height) {
    const unsigned y = d.cinfo.output_scanline;
    if (jpeg_read_scanlines(&d.cinfo, &d.row, 1) != 1) return kVicBadFile;
    if (y >= height) continue;
    unsigned char* out = vic32::RowOf(*image, y);
    if (grey) {
      std::memcpy(out, d.row, columns);
    } else {
      for (unsigned x = 0; x < columns; ++x) {
        out[3 * x] = d.row[3 * x + 2];
        out[3 * x + 1] = d.row[3 * x + 1];
        out[3 * x + 2] = d.row[3 * x];
      }
    }
  }
  jpeg_finish_decompress(&d.cinfo);
  if (grey && image->palette != nullptr && image->colors == 256) {
    for (int i = 0; i < 256; ++i)
      image->palette[i] = RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i), 0};
  }
  return 0;
}

int InfoOf(Decode& d, const std::vector<unsigned char>& bytes, JpegData* info) {
  if (setjmp(d.error.back) != 0) return kVicBadFile;
  const int result = Header(d, bytes);
  if (result != 0) return result;
  std::memset(info, 0, sizeof *info);
  info->ftype = d.cinfo.num_components == 1 ? 0 : 1;
  info->width = static_cast<int>(d.cinfo.image_width);
  info->height = static_cast<int>(d.cinfo.image_height);
  info->comps = d.cinfo.num_components;
  info->progressive = jpeg_has_multiple_scans(&d.cinfo) ? 1 : 0;
  info->density_units = d.cinfo.density_unit;
  info->xdensity = d.cinfo.X_density;
  info->ydensity = d.cinfo.Y_density;
  info->vbitcount = d.cinfo.num_components == 1 ? 8 : 24;
  if (d.cinfo.num_components != 1 && d.cinfo.num_components != 3) return kVicUnsupported;
  return 0;
}

}  // namespace

QV_API int WINAPI jpeginfo(const char* path, JpegData* info) {
  if (info == nullptr) return kVicBadRange;
  std::vector<unsigned char> bytes;
  if (!vic32::ReadWholeFile(path, &bytes)) return kVicNoFile;
  Decode d{};
  const int result = InfoOf(d, bytes, info);
  jpeg_destroy_decompress(&d.cinfo);
  return result;
}

QV_API int WINAPI loadjpg(const char* path, imgdes* image) {
  if (image == nullptr || image->hBitmap == nullptr) return kVicBadRange;
  std::vector<unsigned char> bytes;
  if (!vic32::ReadWholeFile(path, &bytes)) return kVicNoFile;
  std::vector<unsigned char> row;
  Decode d{};
  const int result = LoadInto(d, bytes, image, &row);
  jpeg_destroy_decompress(&d.cinfo);
  return result;
}
