// snake: a whole small game. The arrows steer, the snake grows at each apple, and the best
// score is kept in a file between runs (written with writetext). SPACE starts again after a
// crash, Esc quits. Usage: snake [SCOREFILE] (default snake.score in the working directory).
#include <facade.h>

#include <cstdio>
#include <deque>

namespace {
constexpr long kCols = 20, kRows = 15, kCell = 32;  // the board and its cells in pixels

struct cell {
  long x, y;
};

long read_best(char const* path) {
  long best = 0;
  if (std::FILE* f = std::fopen(path, "r")) {
    if (std::fscanf(f, "%ld", &best) != 1 || best < 0) best = 0;  // a damaged file: no best
    std::fclose(f);
  }
  return best;
}

// writetext replaces the whole file, or on failure leaves the old best as it was.
void write_best(char const* path, long best) {
  char text[32];
  std::snprintf(text, sizeof text, "%ld\n", best);
  if (!writetext(path, text)) std::printf("cannot save the best score: %s\n", geterrortext().text);
}
}  // namespace

int main(int argc, char** argv) {
  char const* path = argc > 1 ? argv[1] : "snake.score";
  if (!createwin(kCols * kCell, kRows * kCell + 32)) return 1;
  settitle("snake");
  long best = read_best(path), score = 0;
  std::deque<cell> body{{5, 7}, {4, 7}, {3, 7}};
  cell dir{1, 0}, apple{12, 7};
  bool over = false;
  double next_step = gettimer();
  while (iswin()) {
    while (isnextmsg()) {
      if (iskey(QUIB_KEY_ESC)) closewin();
      // No turning straight back into the neck.
      if (iskey(QUIB_KEY_LEFT) && dir.x == 0) dir = {-1, 0};
      if (iskey(QUIB_KEY_RIGHT) && dir.x == 0) dir = {1, 0};
      if (iskey(QUIB_KEY_UP) && dir.y == 0) dir = {0, -1};
      if (iskey(QUIB_KEY_DOWN) && dir.y == 0) dir = {0, 1};
      if (iskey(QUIB_KEY_SPACE) && over)
        body = {{5, 7}, {4, 7}, {3, 7}}, dir = {1, 0}, score = 0, over = false;
    }
    if (!iswin()) break;

    // A fixed step of 0.12 s on the clock, however often the loop runs.
    for (; !over && gettimer() >= next_step; next_step += 0.12) {
      cell head{body.front().x + dir.x, body.front().y + dir.y};
      bool hit = head.x < 0 || head.y < 0 || head.x >= kCols || head.y >= kRows;
      for (cell const& c : body) hit = hit || (c.x == head.x && c.y == head.y);
      if (hit) {
        over = true;
        if (score > best) write_best(path, best = score);
        break;
      }
      body.push_front(head);
      if (head.x == apple.x && head.y == apple.y) {
        ++score;
        apple = {random(kCols), random(kRows)};
      } else {
        body.pop_back();
      }
    }
    if (over) next_step = gettimer();

    clear(0x103010);
    circle(apple.x * kCell + 16, apple.y * kCell + 16, 12, 0xE03030);
    for (cell const& c : body)
      bar(c.x * kCell + 1, c.y * kCell + 1, kCell - 2, kCell - 2, 0x60E060);
    bar(0, kRows * kCell, kCols * kCell, 32, 0x082008);
    char text[96];
    std::snprintf(text, sizeof text, "score %ld   best %ld   %s", score, best,
                  over ? "crashed: SPACE again" : "arrows steer, Esc quits");
    drawtextxy(text, 10, kRows * kCell + 6, 0xFFFFFF);
    freshwin();
    delay(16);
  }
  if (score > best) write_best(path, best = score);
  std::printf("score %ld, best %ld\n", score, best);
  return 0;
}
