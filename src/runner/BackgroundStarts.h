#pragma once
// Items started in the background for the length of a logon. Each item's program starts at a
// low priority class (below normal, or the user's own class where that is lower) with low I/O
// and memory priority, in a job of its own, so that the programs it starts itself (a launcher
// and its tray program) are known too. The desktop's threads run at normal priority, so the
// scheduler keeps the desktop first while the items take every spare cycle. When the logon has
// settled, every process of every item gets the class the user chose and normal I/O and memory
// priority. An item the user gave a class above normal is no background item: it gets its class
// at once.
//
// The job allows its processes to break away and never ends them when it closes: it only keeps
// the list of an item's processes.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace lw {

// The class a background item starts with.
inline constexpr std::uint32_t kBackgroundPriorityClass = kBelowNormalPriorityClass;

class BackgroundStarts {
 public:
  // Off: every item starts at its own class and nothing is held.
  explicit BackgroundStarts(bool on) : on_(on) {}
  // Whatever is still held is handed back.
  ~BackgroundStarts();
  BackgroundStarts(const BackgroundStarts&) = delete;
  BackgroundStarts& operator=(const BackgroundStarts&) = delete;

  bool On() const { return on_; }
  // The class to start an item with whose user-chosen class is this one.
  std::uint32_t StartClass(std::uint32_t chosen) const;
  // Takes the item's new process (created suspended, or just opened by the shell) and its
  // handle, which it closes at the hand-back: a job of its own, and low I/O and memory
  // priority. label names the item in the error log. A process that needs no background
  // (started at a class above normal, or with background starts off) is only closed.
  void Adopt(const std::string& label, Handle process, std::uint32_t chosen);
  // Items started in the background and not handed back yet.
  bool Holding() const { return !items_.empty(); }
  // Whether a process of a held item still runs (its job lists one, or, without a job, the
  // item's own process has not ended).
  bool AnyRunning() const;
  // Every process of every held item gets its chosen class, unless the program set another
  // class itself since, and normal I/O and memory priority. A class that cannot be set is
  // written to the error log, and the other processes are handed back all the same.
  void HandBack();

 private:
  struct Item {
    std::string label;
    Handle process = 0;
    Handle job = 0;  // 0: the job could not be had; the item's own process alone is known
    std::uint32_t started = 0;
    std::uint32_t chosen = 0;
  };
  void HandBackProcess(const Item& item, Handle process, const std::string& which) const;

  bool on_;
  std::vector<Item> items_;
};

}  // namespace lw
