/* Host-stall monitor for bench/wire_timing.sh: one thread pinned to each CPU
 * wakes every 2 ms on absolute deadlines at SCHED_FIFO 39 (just below the
 * desk's wire thread and the reference sender, so it never delays them) and
 * logs every wake-up that came more than 0.5 ms late. On a virtual machine
 * the host now and then takes a CPU (or all of them) away for milliseconds;
 * no sender inside can help that, and this log tells those moments apart
 * from a sender's own lateness.
 *   host_stalls SECONDS
 * Output, one line per stall: CPU, start and end in seconds of the real-time
 * clock (the capture's clock), length in ms. */
#define _GNU_SOURCE
#include <pthread.h>
#include <sched.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

enum { kPeriodNs = 2000000, kLateNs = 500000 };
static long seconds;
static pthread_mutex_t out = PTHREAD_MUTEX_INITIALIZER;

static long long ns(struct timespec t) { return (long long)t.tv_sec * 1000000000LL + t.tv_nsec; }

static void* watch(void* arg) {
  const long cpu = (long)arg;
  cpu_set_t set;
  CPU_ZERO(&set);
  CPU_SET(cpu, &set);
  if (pthread_setaffinity_np(pthread_self(), sizeof set, &set) != 0) return NULL;
  struct sched_param sp = {.sched_priority = 39};
  if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &sp) != 0) fprintf(stderr, "host_stalls: normal priority\n");
  struct timespec next, mono, real;
  clock_gettime(CLOCK_MONOTONIC, &next);
  const long long end = ns(next) + seconds * 1000000000LL;
  for (;;) {
    next.tv_nsec += kPeriodNs;
    while (next.tv_nsec >= 1000000000L) next.tv_nsec -= 1000000000L, ++next.tv_sec;
    if (ns(next) > end) break;
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, NULL);
    clock_gettime(CLOCK_MONOTONIC, &mono);
    clock_gettime(CLOCK_REALTIME, &real);
    const long long late = ns(mono) - ns(next);
    if (late > kLateNs) {
      const double woke = ns(real) / 1e9;
      pthread_mutex_lock(&out);
      printf("%ld %.6f %.6f %.3f\n", cpu, woke - late / 1e9, woke, late / 1e6);
      fflush(stdout);
      pthread_mutex_unlock(&out);
    }
  }
  return NULL;
}

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: %s SECONDS\n", argv[0]);
    return 2;
  }
  seconds = atol(argv[1]);
  long cpus = sysconf(_SC_NPROCESSORS_ONLN);
  if (cpus < 1) cpus = 1;
  if (cpus > 64) cpus = 64;
  pthread_t t[64];
  for (long i = 0; i < cpus; ++i) pthread_create(&t[i], NULL, watch, (void*)i);
  for (long i = 0; i < cpus; ++i) pthread_join(t[i], NULL);
  return 0;
}
