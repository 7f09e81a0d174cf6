// threads: counts the primes below 200 000 on two worker threads while the window stays
// lively, drawing each worker's progress. The workers take blocks of numbers from a
// shared counter and report through atomics; each is handed its own progress counter as
// the thread's user pointer. Esc quits.
#include <facade.h>

#include <atomic>
#include <cstdio>

namespace {
constexpr long kLimit = 200000, kBlock = 5000, kBlocks = kLimit / kBlock;
std::atomic<long> next_block{0}, primes{0}, blocks_done{0}, workers_running{0};
std::atomic<long> worker_blocks[2];

bool is_prime(long n) {
  if (n < 2) return false;
  for (long d = 2; d * d <= n; ++d)
    if (n % d == 0) return false;
  return true;
}

// newthread(worker, user) runs worker(user): here the worker's own counter of blocks.
void worker(void* user) {
  std::atomic<long>& mine = *static_cast<std::atomic<long>*>(user);
  for (long b; (b = next_block++) < kBlocks;) {
    long found = 0;
    for (long n = b * kBlock; n < (b + 1) * kBlock; ++n) found += is_prime(n);
    primes += found;
    ++mine;
    ++blocks_done;
  }
  --workers_running;
}
}  // namespace

int main() {
  if (!createwin(640, 240)) return 1;
  settitle("threads");
  workers_running = 2;
  for (std::atomic<long>& counter : worker_blocks)
    if (newthread(worker, &counter) == 0) {
      std::printf("no thread: %s\n", geterrortext().text);
      return 1;
    }
  double spin = 0;
  while (iswin()) {
    while (isnextmsg())
      if (iskey(QUIB_KEY_ESC)) closewin();
    if (!iswin()) break;
    clear(0x181C20);
    for (long i = 0; i < 2; ++i) {
      bar(20, 40 + 50 * i, 600, 30, 0x506070, 0x283038);
      bar(20, 40 + 50 * i, 600 * worker_blocks[i] / kBlocks, 30, 0x60B0F0);
    }
    char line[80];
    std::snprintf(line, sizeof line, "%ld of %ld blocks, %ld primes so far", blocks_done.load(),
                  kBlocks, primes.load());
    drawtextxy(line, 20, 150, 0xFFFFFF);
    spin += 0.1;  // the window keeps moving while the workers count
    arc(600, 180, 16, 16, spin, spin + 4, 0xFFD060);
    freshwin();
    delay(16);
  }
  while (workers_running > 0) delay(1);  // let them finish before the program ends
  std::printf("primes below %ld: %ld\n", kLimit, primes.load());
  return 0;
}
