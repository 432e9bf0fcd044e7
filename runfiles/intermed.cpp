// intermed.q. (Being written.)
#include "runfiles/intermed.h"

uint16_t *ELMASK = nullptr;
uint16_t *ANDMASK = nullptr;
uint16_t *ORMASK = nullptr;
uint16_t *MASK = nullptr;
int32_t mask_words = 0;
long case_count = 0;
void open_case_records(FILE *, CaseRecords *) {}
CaseReadResult read_case_record(FILE *, CaseRecords *) { return case_read_end; }
float case_value(const CaseRecords *, int) { return 0; }
int read_intermed() { return 0; }
