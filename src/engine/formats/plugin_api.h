/* Purpose: the C interface between the engine and a format add-on (a shared library in <build>/plugins/). */
#ifndef ORVU_ENGINE_FORMATS_PLUGIN_API_H
#define ORVU_ENGINE_FORMATS_PLUGIN_API_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Raised whenever OrvuAddon changes shape; the engine refuses an add-on built against another version. */
#define ORVU_ADDON_ABI 2

/* How many leading bytes of a file the engine hands an add-on's open: enough to tell the add-on's own
 * files from others without reading further. */
#define ORVU_ADDON_HEAD_BYTES 64

/* The one symbol every add-on exports. */
#define ORVU_ADDON_ENTRY_SYMBOL "orvu_addon_entry"

/* What an add-on's own decoder reports once it has opened a file. */
typedef struct OrvuAddonStreamInfo {
    int32_t sample_rate;   /* Hz, > 0 */
    int32_t channels;      /* 1..8 */
    int64_t length_frames; /* -1 when unknown */
    uint32_t origres;      /* source resolution in bits, 0 when unknown */
} OrvuAddonStreamInfo;

/* An add-on's self-description. The families are the engine's family names ("aac", "flac", "midi" ...);
 * the engine ignores names it does not know. The decoder functions are all NULL for an add-on whose
 * families the engine decodes through FFmpeg, and all set for one that decodes by itself. */
typedef struct OrvuAddon {
    uint32_t abi;                /* ORVU_ADDON_ABI */
    const char* name;            /* e.g. "bass_aac" */
    const char* const* families; /* NULL-terminated */
    uint32_t ctype;              /* channel type of streams its own decoder opens; 0 when it has none */

    /* Opens a file the engine has opened and checked once for every reader: fd is a local regular file
     * of size bytes, open for reading (read it with pread; the engine closes it after the call, so an
     * add-on that reads later keeps a dup), and head holds its first head_size bytes (the whole file when
     * shorter than ORVU_ADDON_HEAD_BYTES). Returns NULL when the file is not one of the add-on's, decided
     * from head alone where the format allows, so other files cost nothing; NULL too when it cannot be
     * read. */
    void* (*open)(int fd, int64_t size, const unsigned char* head, size_t head_size);
    /* Fills info for an open handle; returns 0 on success. */
    int (*info)(void* handle, OrvuAddonStreamInfo* info);
    /* Writes up to frames interleaved float frames; returns how many, 0 at the end or on error. */
    size_t (*read)(void* handle, float* out, size_t frames);
    /* Moves so the next read starts at frame; returns 0 on success. */
    int (*seek)(void* handle, int64_t frame);
    void (*close)(void* handle);
} OrvuAddon;

typedef const OrvuAddon* (*OrvuAddonEntryFn)(void);

/* Add-ons are built with hidden visibility; the entry point alone is exported. */
#define ORVU_ADDON_EXPORT __attribute__((visibility("default")))

/* Declared here so each add-on defines it with the right linkage and type. */
ORVU_ADDON_EXPORT const OrvuAddon* orvu_addon_entry(void);

#ifdef __cplusplus
}
#endif

#endif
