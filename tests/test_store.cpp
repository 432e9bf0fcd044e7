// The block store, the allocators and the message services.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "engine/misc.h"
#include "engine/nstore.h"
#include "engine/ptf.h"

namespace {

TEST(Store, SmallRequestsAreRoundedToEightBytes) {
  init_store();
  char *a = static_cast<char *>(store_alloc(1));
  char *b = static_cast<char *>(store_alloc(8));
  char *c = static_cast<char *>(store_alloc(0));
  char *d = static_cast<char *>(store_alloc(3));
  EXPECT_EQ(b - a, 8);
  EXPECT_EQ(c - b, 8);
  EXPECT_EQ(d, c); // a request of 0 bytes uses nothing
  EXPECT_EQ(reinterpret_cast<uintptr_t>(a) % 8, 0u);
  release_store();
}

TEST(Store, LargeRequestsGetABlockOfTheirOwn) {
  init_store();
  char *small = static_cast<char *>(store_alloc(16));
  char *large = static_cast<char *>(store_alloc(65537));
  char *next = static_cast<char *>(store_alloc(8));
  EXPECT_EQ(next - small, 16); // the current block is untouched
  for (size_t i = 0; i < 65544; ++i) ASSERT_EQ(large[i], 0) << i;
  release_store();
}

TEST(Store, ARequestThatDoesNotFitStartsANewCurrentBlock) {
  init_store();
  char *first = static_cast<char *>(store_alloc(65536 - 64));
  char *second = static_cast<char *>(store_alloc(128));
  char *third = static_cast<char *>(store_alloc(8));
  EXPECT_TRUE(second < first || second >= first + 65536); // not in the old block
  EXPECT_EQ(third - second, 128);
  char *whole = static_cast<char *>(store_alloc(65536)); // fits a fresh standard block exactly
  whole[65535] = 1;
  release_store();
}

TEST(Store, MemoryReadsAsZeroAndCopiesAreKept) {
  init_store();
  unsigned char *p = static_cast<unsigned char *>(store_alloc(1000));
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(p[i], 0);
  EXPECT_STREQ(store_strdup("Brand A"), "Brand A");
  EXPECT_STREQ(store_strndup("Brand A", 5), "Brand");
  release_store();
}

TEST(Store, StatVarCapacityGrowsInStepsOf9500) {
  StatVar **saved = stvars;
  int saved_capacity = stvar_capacity;
  stvars = nullptr;
  stvar_capacity = 0;
  grow_stvars();
  EXPECT_EQ(stvar_capacity, 9500);
  stvars[9499] = nullptr;
  grow_stvars();
  EXPECT_EQ(stvar_capacity, 19000);
  stvars[18999] = nullptr;
  std::free(stvars);
  stvars = saved;
  stvar_capacity = saved_capacity;
}

TEST(Messages, LongMessagesAreWrittenWhole) {
  std::string text(20000, 'x');
  testing::internal::CaptureStderr();
  log_printf(nullptr, "<%s>", text.c_str());
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "<" + text + ">");
}

TEST(Messages, FatalEndings) {
  EXPECT_EXIT(fatal_error(0, "out of memory in emalloc();"), testing::ExitedWithCode(1),
              "\n Fatal error 0 <out of memory in emalloc\\(\\);>\n");
  EXPECT_EXIT(error_exit(902), testing::ExitedWithCode(1), "^ERROR: 902\n$");
}

TEST(Messages, LanguageWarning) {
  testing::internal::CaptureStderr();
  language_warning("");
  language_warning("FR");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "WARNING: No language options available on this project.\n"
                                                    "         Base language will be output ('FR' ignored).\n");
}

} // namespace
