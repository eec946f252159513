#pragma once
// Slot list: an object's index is its id, freed indices are reused, nothing is owned.
#include <array>
#include <cstdint>
#include <vector>

namespace gridmodel {

class CUGPtrList {
 public:
  using Id = std::array<std::uint8_t, 16>;

  int Add(void* ptr, int param = 0, const Id* id = nullptr);
  void* At(int index) const;
  int ParamAt(int index) const;
  int IndexOf(const void* ptr) const;
  int SetParamAt(int index, int param);
  int RemoveAt(int index);
  void RemoveAll();
  int GetUsedCount() const { return used_; }
  int GetCapacity() const { return static_cast<int>(entries_.size()); }

 private:
  struct Entry {
    bool inUse = false;
    void* ptr = nullptr;
    int param = 0;
    Id id{};
  };
  std::vector<Entry> entries_;
  int used_ = 0;
};

}  // namespace gridmodel
