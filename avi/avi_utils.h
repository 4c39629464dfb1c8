#ifndef OMTRIX_AVI_UTILS_H
#define OMTRIX_AVI_UTILS_H

/* The AVI writer library: uncompressed 24-bit video in RIFF AVI 1.0 files.
 * Plain C so that any program, and any stand-in library, can use the same
 * three calls. No call throws; every failure comes back as a value. */

#include <stdint.h>

#if defined(_WIN32)
#if defined(AVI_UTILS_BUILD)
#define AVI_API __declspec(dllexport)
#else
#define AVI_API __declspec(dllimport)
#endif
#if defined(_WIN64)
#define AVI_CALL
#else
#define AVI_CALL __stdcall
#endif
#else
#define AVI_API __attribute__((visibility("default")))
#define AVI_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* One picture of 24-bit pixels (blue, green, red bytes). Rows run bottom-up:
 * `bits` points at the picture's bottom row and each further row lies
 * `stride` bytes higher in memory. */
typedef struct AviFrameImage {
    int32_t width;       /* pixels per row, at least 1 */
    int32_t height;      /* rows, at least 1 */
    int32_t stride;      /* bytes from one row to the next, at least width * 3 */
    const uint8_t *bits; /* the bottom row; not read from a template */
} AviFrameImage;

/* Results of AddAviFrame and CloseAvi. */
#define AVI_OK 0
#define AVI_FAILED (-1)

/* Creates the named file for frames of the template's width and height. The
 * file must not exist yet: an existing file is never opened nor truncated.
 * Returns a handle of 0 or more, or -1 when a file of that name exists, the
 * file cannot be created or the template is unusable. Several files may be
 * open at once. */
AVI_API int32_t AVI_CALL CreateAvi(const char *file_name, const AviFrameImage *frame_template);

/* Appends one frame; its width and height must be the template's. The pixels
 * are read during the call only. Returns AVI_OK, or AVI_FAILED when the frame
 * was not stored (write error, full disk, a file that would outgrow what
 * RIFF AVI 1.0 allows, wrong size, unknown handle); the file then still ends
 * after its last complete frame, and later frames may be added. */
AVI_API int32_t AVI_CALL AddAviFrame(int32_t handle, const AviFrameImage *frame);

/* Writes the index and the final headers (frame count, frame rate) and closes
 * the file; the handle is invalid afterwards whatever the result. Returns
 * AVI_OK, or AVI_FAILED when the file could not be completed. */
AVI_API int32_t AVI_CALL CloseAvi(int32_t handle);

#ifdef __cplusplus
}
#endif

#endif /* OMTRIX_AVI_UTILS_H */
