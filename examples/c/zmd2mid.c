/* zmd2mid: converts the ZMD file named on the command line with liborvo,
   with its signature file (the name with ".sig") when there is one and the
   MDD files it names from the current folder, and writes the MIDI file
   named second (default: out.mid). Its status is the conversion's.

     cc zmd2mid.c $(pkg-config --cflags --libs orvo) -o zmd2mid */
#include <orvo/orvo.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* The whole file in a malloc'ed buffer; NULL when it cannot be read. */
static void *read_file(const char *name, size_t *size) {
  FILE *f = fopen(name, "rb");
  char *data = NULL, *more;
  size_t used = 0, room = 0;
  if (f == NULL) return NULL;
  for (;;) {
    if (used == room && (more = realloc(data, room = room * 2 + 65536)) == NULL) break;
    data = more;
    used += fread(data + used, 1, room - used, f);
    if (used < room) break; /* the end of the file, or a read error */
  }
  if (ferror(f) || used == room) {
    free(data);
    data = NULL;
  }
  fclose(f);
  *size = used;
  return data;
}

static int open_mdd(void *user, const char *name, const void **data, size_t *size, void **handle) {
  FILE *probe = fopen(name, "rb");
  (void)user;
  if (probe == NULL) return 0; /* not found */
  fclose(probe);
  *handle = read_file(name, size);
  *data = *handle;
  return *handle != NULL ? 1 : -1;
}

static void close_mdd(void *user, void *handle) { (void)user; free(handle); }

int main(int argc, char **argv) {
  orvo_input input = {0};
  orvo_companions companions = {0};
  orvo_result *result = NULL;
  const unsigned char *midi;
  size_t midi_size;
  char signature[4096];
  char *dot;
  int status;
  FILE *out;

  if (argc < 2) {
    fprintf(stderr, "usage: zmd2mid song.zmd [out.mid]\n");
    return 1;
  }
  input.struct_size = sizeof input;
  input.data = read_file(argv[1], &input.size);
  input.name = argv[1];
  if (input.data == NULL) {
    fprintf(stderr, "%s: cannot read\n", argv[1]);
    return 1;
  }
  /* The signature file: the name's extension replaced, as orvo does. */
  snprintf(signature, sizeof signature - 4, "%s", argv[1]);
  dot = strrchr(signature, '.');
  if (dot == NULL || dot == signature) dot = signature + strlen(signature);
  strcpy(dot, ".sig");
  input.signature = read_file(signature, &input.signature_size);
  companions.struct_size = sizeof companions;
  companions.open_mdd = open_mdd;
  companions.close = close_mdd;
  status = orvo_convert(&input, NULL, &companions, &result);
  if (result != NULL) fputs(orvo_result_messages(result, ORVO_TEXT_UTF8, NULL), stderr);
  midi = orvo_result_midi(result, &midi_size);
  if (midi != NULL) {
    out = fopen(argc > 2 ? argv[2] : "out.mid", "wb");
    if (out == NULL || fwrite(midi, 1, midi_size, out) != midi_size || fclose(out) != 0) status = 1;
  }
  orvo_result_free(result);
  free((void *)input.data);
  free((void *)input.signature);
  return status;
}
