// The block store: 64 KiB blocks handed out by a pointer bump and released at once.
#include "engine/nstore.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "engine/misc.h"

namespace {

// The block header, padded so that the data area starts on an 8-byte boundary.
constexpr size_t header_size = (sizeof(StoreBlock) + 7) & ~static_cast<size_t>(7);

StoreBlock *first_block = nullptr;
StoreBlock *last_block = nullptr;
StoreBlock *current_block = nullptr;

} // namespace

StoreBlock *newblock(unsigned size, int make_current) {
  void *memory = std::calloc(1, header_size + size);
  if (!memory) fatal_error(0, "Out of memory in newblock();");
  StoreBlock *block = static_cast<StoreBlock *>(memory);
  block->next = nullptr;
  block->size = size;
  block->left = size;
  block->free = static_cast<unsigned char *>(memory) + header_size;
  if (last_block)
    last_block->next = block;
  else
    first_block = block;
  last_block = block;
  if (make_current) current_block = block;
  return block;
}

void init_store() {
  release_store();
  newblock(store_block_size, 1);
}

void *store_alloc(size_t n) {
  if (n > UINT32_MAX - 7) fatal_error(0, "Out of memory in newblock();");
  n = (n + 7) & ~static_cast<size_t>(7);
  if (n > store_block_size) return newblock(static_cast<unsigned>(n), 0)->free;
  if (!current_block || current_block->left < n) newblock(store_block_size, 1);
  unsigned char *memory = current_block->free;
  current_block->free += n;
  current_block->left -= static_cast<unsigned>(n);
  return memory;
}

void release_store() {
  StoreBlock *block = first_block;
  while (block) {
    StoreBlock *next = block->next;
    std::free(block);
    block = next;
  }
  first_block = last_block = current_block = nullptr;
}

char *store_strndup(const char *text, size_t n) {
  char *copy = static_cast<char *>(store_alloc(n + 1));
  std::memcpy(copy, text, n);
  copy[n] = '\0';
  return copy;
}

char *store_strdup(const char *text) { return store_strndup(text, std::strlen(text)); }

void grow_stvars() {
  stvar_capacity += 9500;
  size_t bytes = static_cast<size_t>(stvar_capacity) * sizeof(StatVar *);
  if (!stvars) {
    stvars = static_cast<StatVar **>(std::malloc(bytes));
    if (!stvars) fatal_error(0, "unable to allocate memory for stvars[]");
  } else {
    StatVar **grown = static_cast<StatVar **>(std::realloc(stvars, bytes));
    if (!grown) fatal_error(0, "unable to reallocate memory for stvars[]");
    stvars = grown;
  }
}
