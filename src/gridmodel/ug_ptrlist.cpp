#include "gridmodel/ug_ptrlist.h"

namespace gridmodel {

int CUGPtrList::Add(void* ptr, int param, const Id* id) {
  if (used_ >= GetCapacity()) entries_.resize(entries_.size() + 10);
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    Entry& e = entries_[i];
    if (e.inUse) continue;
    e.inUse = true;
    e.ptr = ptr;
    e.param = param;
    if (id) e.id = *id;
    ++used_;
    return static_cast<int>(i);
  }
  return -1;
}

void* CUGPtrList::At(int index) const {
  if (index < 0 || index >= GetCapacity() || !entries_[index].inUse) return nullptr;
  return entries_[index].ptr;
}

int CUGPtrList::ParamAt(int index) const {
  if (index < 0 || index >= GetCapacity()) return 0;
  return entries_[index].param;
}

int CUGPtrList::IndexOf(const void* ptr) const {
  for (std::size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].inUse && entries_[i].ptr == ptr) return static_cast<int>(i);
  return -1;
}

int CUGPtrList::SetParamAt(int index, int param) {
  if (index < 0 || index >= GetCapacity()) return 1;
  if (!entries_[index].inUse) return 2;
  entries_[index].param = param;
  return 0;
}

int CUGPtrList::RemoveAt(int index) {
  if (index < 0 || index >= GetCapacity()) return 1;
  Entry& e = entries_[index];
  if (e.inUse) {
    e.inUse = false;
    e.ptr = nullptr;
    --used_;
  }
  return 0;
}

void CUGPtrList::RemoveAll() {
  entries_.clear();
  used_ = 0;
}

}  // namespace gridmodel
