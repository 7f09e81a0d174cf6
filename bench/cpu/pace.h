// Shared by the CPU benchmark programs: a 60 Hz schedule on absolute deadlines, the
// process's own CPU time, and the one result line each prints.
#define _GNU_SOURCE
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <time.h>
static struct timespec next;
static void pace_start(void) { clock_gettime(CLOCK_MONOTONIC, &next); }
static void pace_wait(void) {
  next.tv_nsec += 1000000000L / 60;
  if (next.tv_nsec >= 1000000000L) {
    next.tv_nsec -= 1000000000L;
    next.tv_sec++;
  }
  clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, NULL);
}
static double cpu_s(void) {
  struct rusage ru;
  getrusage(RUSAGE_SELF, &ru);
  return ru.ru_utime.tv_sec + ru.ru_stime.tv_sec +
         (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) * 1e-6;
}
static double now_s(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec + t.tv_nsec * 1e-9;
}
static void report(double cpu0, double t0, long frames) {
  double cpu = cpu_s() - cpu0, wall = now_s() - t0;
  printf("cpu_pct %.2f fps %.1f\n", 100 * cpu / wall, frames / wall);
}
