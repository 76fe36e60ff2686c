// The undo history of the show's programming: a ring of the last show
// states, one per operator act that changed the programming. Each state is
// an image of the programmed tables made of shared pieces (one per record),
// so an entry costs only the records its act changed; the rest is shared
// with its neighbours.
//
// Programming is what the operator builds and saves: screens and their
// count, pages, chases, submixes, the patch, channel names, button and fader
// functions, fixture types and the project's name and notes. Live values
// (levels, faders, crossfade, run mode, running chases, the output set-up)
// are never part of it, so stepping through the history never touches them.
//
// Only the standard library and the desk record; single-threaded like the
// desk's state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "core/desk_state.h"

namespace lumora {

class ShowHistory {
 public:
  // Acts the history keeps (the oldest go first).
  static constexpr int kCapacity = 100;
  // Bytes the kept states may hold together; past it the oldest acts go
  // (only a run of whole-show loads of different shows can reach it).
  static constexpr std::size_t kByteBudget = 8u << 20;

  ShowHistory();
  ~ShowHistory();
  ShowHistory(const ShowHistory&) = delete;
  ShowHistory& operator=(const ShowHistory&) = delete;

  // Forgets every act; the show as it stands becomes the base state.
  void Reset(const DeskState& s);
  bool Started() const;

  // After an operator act: compares the programming with the current state.
  // When any of it changed, the act becomes a new entry named `name` (the
  // undone acts after the current one are dropped first) and true is
  // returned. Otherwise the project's file identity (path, name, date,
  // version: a save) is taken into the current state and false returned.
  // With `merge`, an act that follows the current one directly (no undo or
  // redo between) joins it instead: one drag of a fader is one act.
  bool Capture(const DeskState& s, const std::string& name, bool merge = false);
  // Changes whenever the current state does (an act, an undo, a redo).
  uint64_t Serial() const { return serial_; }

  // Steps back / forward one act, writing the programming (and, across a
  // load, the file identity) of the state reached into `s`. ProjectChanged
  // becomes 0 when that state is the one last saved to or loaded from the
  // project's file, else -1. False (nothing written) when there is no act.
  bool Undo(DeskState& s);
  bool Redo(DeskState& s);

  int Depth() const;
  int RedoDepth() const;
  // The act Undo / Redo would reverse or repeat; "" when none.
  std::string LastName() const;
  std::string NextName() const;

  // The current state is what the file at `path` holds (a save or a load).
  void MarkSaved(const std::string& path);
  // Whether the current state is the one the file at `path` holds.
  bool Saved(const std::string& path) const;

  // Bytes held by the kept states (records, their texts and the tables of
  // record pointers), counting each shared piece once.
  std::size_t Bytes() const { return bytes_; }

  struct Image;  // one state's programming (defined with the engine)

 private:
  struct Identity {
    std::string fileName, path, date;
    int16_t version = 0;
    bool operator==(const Identity&) const = default;
  };
  struct Entry;

  void restore(const Image& from, const Image& to, DeskState& s) const;
  void dropOldest();
  void release(const Entry& e);
  static Identity identityOf(const DeskState& s);
  static void putIdentity(const Identity& id, DeskState& s);

  std::deque<Entry> entries_;  // [0] is the base state, later ones are acts
  std::size_t head_ = 0;       // the current state
  std::size_t bytes_ = 0;
  uint64_t serial_ = 0;
};

}  // namespace lumora
