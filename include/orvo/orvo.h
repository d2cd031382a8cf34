/* orvo: converts Z-MUSIC version 2 performance data (ZMD files) into
   format-1 Standard MIDI Files, from memory to memory.

   One call, orvo_convert, converts one song: its bytes, optionally its
   signature file's bytes, the music switches of the orvo command line, and a
   way to obtain each MDD file the song names. It gives the MIDI file's
   bytes, every message orvo would write (in UTF-8 and in CP932) and a
   status: the exit status of the orvo program for the same conversion.

   Threads: the library has no global state. Different conversions may run
   at the same time on different threads; one orvo_options or orvo_result
   must not be used by two threads at once (an orvo_options only read by
   conversions may be shared by them).

   Memory: everything the library allocates it frees itself, through
   orvo_options_free and orvo_result_free. No exception leaves the library
   and it never prints: messages are only in the result.

   Compatibility: structs that may grow carry their size in struct_size;
   set it to sizeof the struct you were built with, and a newer library
   reads only the fields that size covers. */
#ifndef ORVO_ORVO_H
#define ORVO_ORVO_H

#include <stddef.h>

#if defined(_WIN32) && defined(ORVO_SHARED_BUILD)
#define ORVO_API __declspec(dllexport)
#elif defined(__GNUC__)
#define ORVO_API __attribute__((visibility("default")))
#else
#define ORVO_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

#define ORVO_VERSION_MAJOR 1
#define ORVO_VERSION_MINOR 50
#define ORVO_VERSION_PATCH 0

/* MAJOR << 16 | MINOR << 8 | PATCH of the library loaded. */
ORVO_API unsigned orvo_version(void);
/* "1.50.0" */
ORVO_API const char *orvo_version_string(void);

/* The encodings of the message stream. */
enum { ORVO_TEXT_UTF8 = 0, ORVO_TEXT_CP932 = 1 };

/* Statuses, the exit statuses of the orvo program: 0 converted; 1 not ZMD
   data, damaged data, a missing or unreadable MDD or signature file; 4 a
   source file that could not be read completely; 10 out of memory; 11
   standard input without a destination. orvo_convert returns 0, 1 or 10
   (4 and 11 are the program's, about files); ORVO_ERROR_ARGUMENT when the
   call itself was wrong. */
#define ORVO_ERROR_ARGUMENT (-1) /* a null pointer, an unknown option key, a value out of range */

/* A short English text for a status (0, 1, 4, 10, 11, ORVO_ERROR_ARGUMENT);
   never NULL. */
ORVO_API const char *orvo_status_string(int status);

/* The music switches of one or more conversions. */
typedef struct orvo_options orvo_options;

/* The command line's defaults; NULL when out of memory. */
ORVO_API orvo_options *orvo_options_new(void);
ORVO_API void orvo_options_free(orvo_options *options);

/* Sets one switch by its key, with the command line's ranges:
     loop_count      -L  0..2147483647 (default 2)
     fade_speed      -F  0..127 (10)
     fade_delay      -D  0..2147483647 (0)
     bend_interval   -B  1..127 (1)
     excl_wait       -X  0..127 (0)
     round_tempo     -U  0 or 1 (0)
     timer_a         -A  0 or 1 (0)
     auto_loop       -J  0 or 1 (0)
     keyoff_skip     -R  -1 (-R alone) or 0..127 (0: off)
     init_gap        -I  -1 (off) or 0..127 (-1)
     convert_fm      -m  0 or 1 (0)
     running_status  -s  0 (-s) or 1 (1)
     track_buffer_kb -t  0..2147483647 (16)
   Returns 0, or ORVO_ERROR_ARGUMENT (nothing changed) for an unknown key
   or a value out of range. */
ORVO_API int orvo_options_set(orvo_options *options, const char *key, long value);

/* Applies orvo's music switches, as on its command line: "-L3 -m",
   "-l3m", "/aj". Returns 0, or ORVO_ERROR_ARGUMENT (nothing changed) when
   any group is not music switches alone (-o, -c, -e, -g, -, -h, a file
   name) or holds a bad number. */
ORVO_API int orvo_options_parse(orvo_options *options, const char *switches);

/* One song. */
typedef struct orvo_input {
  size_t struct_size;                  /* sizeof(orvo_input) */
  const void *data; size_t size;       /* the ZMD file */
  const char *name;                    /* as the messages show it; NULL: "-" */
  const void *signature; size_t signature_size; /* optional: the signature file's bytes */
  const char *signature_name;          /* optional, for its messages; NULL: name with ".sig" */
  /* Optional: nonzero when the signature file was found but could not be
     read (signature is then not read). The conversion names it, says so and
     ends with status 1, as orvo does. */
  int signature_unreadable;
} orvo_input;

/* Where the MDD files a song names come from. */
typedef struct orvo_companions {
  size_t struct_size;                  /* sizeof(orvo_companions) */
  void *user;
  /* Asked for each MDD file the song names, with the name orvo would open
     (the song's text with ".MDD" appended). Returns 1 and sets *data, *size
     and *handle when found, 0 when not found, -1 when it could not be read
     (the conversion then ends with status 1). */
  int (*open_mdd)(void *user, const char *name, const void **data, size_t *size, void **handle);
  /* Releases what open_mdd handed out, once its bytes are read; may be NULL. */
  void (*close)(void *user, void *handle);
  /* Optional: the name of the file open_mdd has just opened (it returned 1)
     or could not read (-1), for the messages to name the file actually
     opened (found in another folder, or under another case); NULL: the name
     asked for. Called right after open_mdd; the text need last only until
     it returns. */
  const char *(*opened_name)(void *user);
} orvo_companions;

/* The outcome of one conversion. */
typedef struct orvo_result orvo_result;

/* Converts one song. Returns its status (0 converted; 1, 4, 10 as the exit
   statuses) and sets *result, which the caller frees; ORVO_ERROR_ARGUMENT on
   misuse, with *result NULL (as it is too for a status 10 when not even the
   result could be allocated). options NULL: the defaults; companions NULL:
   no MDD file is found. Nothing is read past data + size. */
ORVO_API int orvo_convert(const orvo_input *input, const orvo_options *options,
                          const orvo_companions *companions, orvo_result **result);

/* The MIDI file's bytes; NULL (and *size 0) unless the status is 0. size may
   be NULL. The bytes live as long as the result. */
ORVO_API const unsigned char *orvo_result_midi(const orvo_result *result, size_t *size);
ORVO_API int orvo_result_status(const orvo_result *result);
/* Every message of the conversion as orvo writes them, from its banner to
   "Completed." or the fatal error, in ORVO_TEXT_UTF8 or ORVO_TEXT_CP932;
   terminated by a NUL that *size does not count. At most 10,000 lines and
   the two last: a hostile file's flood of messages is counted, not kept.
   NULL for an unknown encoding. */
ORVO_API const char *orvo_result_messages(const orvo_result *result, int encoding, size_t *size);
/* The first line of the fatal message, in UTF-8; "" when converted. */
ORVO_API const char *orvo_result_error(const orvo_result *result);
ORVO_API void orvo_result_free(orvo_result *result);

#ifdef __cplusplus
}
#endif

#endif /* ORVO_ORVO_H */
