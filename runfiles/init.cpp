// The first stage: the run must hold flat data; the name indexes start empty and the
// label lengths get their defaults.
#include "runfiles/init.h"

#include <cstdlib>

#include "engine/misc.h"
#include "engine/nstore.h"
#include "engine/options.h"
#include "model/statvars.h"
#include "model/znostats.h"
#include "runfiles/binread.h"
#include "runfiles/version.h"

void init() {
  FILE *file = open_run_file("intermed.q", "rb");
  check_file_header(file, "intermed.q", file_type_intermediate);
  // A size header cut short is reported by read_intermed; here it counts as flat data.
  unsigned char bytes[4];
  int32_t levels = read_bytes(file, bytes, sizeof bytes) == sizeof bytes ? get_i32(bytes) : 0;
  std::fclose(file);
  if (levels != 0) {
    log_printf(stderr, "\n Conversion for hierarchical databases not implemented\n");
    std::exit(1);
  }

  reset_variable_index();
  reset_output_registry();
  stvar_count = 0;
  stvar_capacity = 0;
  if (value_label_max == 0) value_label_max = 20;
  if (variable_label_max == 0) variable_label_max = 40;
}
