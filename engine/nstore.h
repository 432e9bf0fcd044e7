// The block store for the run's many small records, and the growable stvars array.
#pragma once

#include <cstddef>

struct StoreBlock {
  StoreBlock *next;
  unsigned size;
  unsigned left;
  unsigned char *free;
  // the data area follows, aligned to 8 bytes
};

constexpr unsigned store_block_size = 65536;

void init_store();
StoreBlock *newblock(unsigned size, int make_current);
// Zero-filled, 8-byte aligned memory that lives until release_store.
void *store_alloc(size_t n);
void release_store();
// Copies of texts in the store.
char *store_strdup(const char *text);
char *store_strndup(const char *text, size_t n);

struct StatVar;
extern StatVar **stvars;
extern int stvar_count;
extern int stvar_capacity;
void grow_stvars();
