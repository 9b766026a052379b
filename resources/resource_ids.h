#pragma once
// Resource identifiers shared by the programs and their resource scripts.
#define IDI_TAPDECK 131
#define IDI_PAIRWELL 107
