// The stand-in radio's entry points: the Windows Runtime asks the library
// for the factory of each class registered to it.
#include <windows.h>

#include "census.h"
#include "cryptographic_buffer_statics.h"
#include "proximity.h"
#include "proximity_statics.h"
#include "radio_protocol.h"
#include "runtime_module.h"

using namespace tapdeck::sim;

TAPDECK_SIM_RUNTIME_MODULE(kNfcCensus, {{sdk::RuntimeClass_ProximityDevice, KeptFactory<CProximityStatics>},
                                         {sdk::RuntimeClass_CryptographicBuffer, KeptFactory<CCryptographicBufferStatics>}})

// Writes this process's radio census now, for a test that runs the radio in its own process.
extern "C" __declspec(dllexport) void WINAPI TapdeckSimWriteCensus() { WriteCensus(kNfcCensus); }
