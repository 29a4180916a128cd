// Cores left idle by the frames being encoded help code the code-blocks of
// the frames still in tier-1. A render sets how many threads it may use; each
// frame being encoded keeps one of them, and the rest join any frame that has
// blocks left to code. Which thread codes a block never changes its bytes.
#pragma once

#include <functional>

// The threads the encoding may use at most (1, the default: no helpers).
void block_coding_set_threads(int threads);

// Counts a frame as being encoded for as long as it lives.
class block_coding_frame {
 public:
  block_coding_frame();
  ~block_coding_frame();
  block_coding_frame(const block_coding_frame&) = delete;
  block_coding_frame& operator=(const block_coding_frame&) = delete;
};

// Runs task(participant, i) for every i in [0, n): the calling thread is
// participant 0, each helper that joins gets a number of its own below
// `participants`, which it keeps for the whole run. Returns once every task
// has run.
void block_coding_run(int n, int participants, const std::function<void(int participant, int i)>& task);

// The most participants a run can have.
int block_coding_max_participants();
