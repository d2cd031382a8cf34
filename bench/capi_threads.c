/* The C API on threads, loaded by the Python module's benchmark
   (bench/python_bench.py) through ctypes, which lets go of the interpreter's
   lock during the call: the same songs converted by the same number of
   fresh threads as the Python rounds use, at the same moment, with no
   Python in between. What the machine gives the library there is the
   ceiling of what the module can reach. */
#define _POSIX_C_SOURCE 200809L /* clock_gettime */
#include <orvo/orvo.h>
#include <pthread.h>
#include <stdatomic.h>
#include <stddef.h>
#include <time.h>

enum { MOST_THREADS = 64 };

struct work {
  const void *const *songs;
  const size_t *sizes;
  size_t count;
  atomic_size_t next; /* the next song not yet taken */
  atomic_int failed;
};

static void *convert_songs(void *argument) {
  struct work *w = argument;
  for (size_t i; (i = atomic_fetch_add(&w->next, 1)) < w->count;) {
    orvo_input input = {0};
    orvo_result *result = NULL;
    input.struct_size = sizeof input;
    input.data = w->songs[i];
    input.size = w->sizes[i];
    if (orvo_convert(&input, NULL, NULL, &result) != 0) atomic_store(&w->failed, 1);
    orvo_result_free(result);
  }
  return NULL;
}

static double now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

/* Converts the songs on `threads` fresh threads, each taking the next song
   not yet taken; returns the wall seconds from the first thread's start to
   the last one's end, or -1 when a thread could not start or a song failed. */
double bench_convert_on_threads(const void *const *songs, const size_t *sizes, size_t count,
                                int threads) {
  pthread_t started[MOST_THREADS];
  struct work w = {songs, sizes, count, 0, 0};
  int n = 0;
  if (threads < 1 || threads > MOST_THREADS) return -1;
  const double start = now();
  while (n < threads && pthread_create(&started[n], NULL, convert_songs, &w) == 0) ++n;
  for (int i = 0; i < n; ++i) pthread_join(started[i], NULL);
  const double seconds = now() - start;
  return n < threads || atomic_load(&w.failed) ? -1 : seconds;
}
