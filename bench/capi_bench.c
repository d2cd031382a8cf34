/* The C API timed from C, for the Python module's benchmark
   (bench/python_bench.py): converts one song RUNS times in one process
   after a warm-up, with the switches given, and prints the median wall time
   of one conversion (orvo_convert and orvo_result_free) in seconds, then
   the size of the MIDI file.
     orvo_capi_bench SONG.zmd RUNS [SWITCHES] */
#include <orvo/orvo.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static double now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

static int by_value(const void *a, const void *b) {
  const double x = *(const double *)a, y = *(const double *)b;
  return (x > y) - (x < y);
}

int main(int argc, char **argv) {
  orvo_input input = {0};
  orvo_options *options = orvo_options_new();
  orvo_result *result = NULL;
  static unsigned char song[1 << 20];
  double *times;
  size_t midi_size = 0;
  int runs, i;
  FILE *f;

  if (argc < 3 || argc > 4 || (runs = atoi(argv[2])) < 1) {
    fprintf(stderr, "usage: orvo_capi_bench SONG.zmd RUNS [SWITCHES]\n");
    return 2;
  }
  if ((f = fopen(argv[1], "rb")) == NULL) return 1;
  input.struct_size = sizeof input;
  input.data = song;
  input.size = fread(song, 1, sizeof song, f);
  fclose(f);
  if (input.size == sizeof song) return 1; /* larger than the benchmark's songs are */
  if (options == NULL || (argc == 4 && orvo_options_parse(options, argv[3]) != 0)) return 1;
  times = malloc(sizeof *times * (size_t)runs);
  if (times == NULL) return 1;
  for (i = -runs / 10 - 1; i < runs; ++i) { /* the first tenth warms up */
    const double start = now();
    if (orvo_convert(&input, options, NULL, &result) != 0) return 1;
    orvo_result_midi(result, &midi_size);
    orvo_result_free(result);
    if (i >= 0) times[i] = now() - start;
  }
  qsort(times, (size_t)runs, sizeof *times, by_value);
  printf("%.9f %zu\n", times[runs / 2], midi_size);
  free(times);
  orvo_options_free(options);
  return 0;
}
