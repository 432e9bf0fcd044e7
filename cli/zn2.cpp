// The command-line programs zn2xml, zn2ts, zn2csv and zn2statra: one program whose
// name chooses the output format. A directory argument is made current first.
#include <cstdio>
#include <cstdlib>

#include "engine/main.h"
#include "engine/options.h"
#include "engine/rundir.h"

int main(int argc, char **argv) {
  int directory = first_plain_argument(argc, argv);
  if (directory) {
    RunDirectoryResult result = enter_run_directory(argv[directory], system_directory_services);
    if (result != run_directory_ok) {
      std::fprintf(stderr, "%s\n", run_directory_messages[result]);
      return 1;
    }
  }
  engine_main(argc, argv, 0);
  return 0;
}
