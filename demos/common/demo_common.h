// What the demo clients (pexil, morbane, zel) share: writing a value and a
// device's banner line, starting the library, an allocator over the C heap,
// and the options and pass loop of the clients that discover devices. Plain
// functions on the library's records; everything prints to standard output.
#pragma once

#include <cstdint>
#include <cstdio>

#include "bacnet/any_value.h"
#include "bacnet/records.h"
#include "runtime/apil/velmora_status.h"
#include "text/cmdline.h"

// ---- values ----------------------------------------------------------------

// The room PrintValue first gives a value's text.
inline constexpr uint32_t DEMO_VALUE_ROOM = 1024;
// The largest room a value's text is ever given (4 MiB).
inline constexpr uint32_t DEMO_VALUE_ROOM_LIMIT = 1u << 22;

// Writes the text of a value (VelmoraValueToStringEx: arrayIndex -1 for a
// whole property) to out, without a newline. The text is tried in the
// caller's buffer first; a text that does not fit there is written whole
// from larger heap buffers (each four times the last, up to
// DEMO_VALUE_ROOM_LIMIT), never cut. When no room up to the limit holds it,
// or the value cannot be read, nothing is written: a buffer the writer gave
// up on holds no meaningful text. True when the text was written.
bool DemoWriteValue(std::FILE* out, char* text, uint32_t room, const VelmoraAnyValue* value,
                    uint32_t objectType, uint32_t property, int32_t arrayIndex,
                    uint8_t showNumbers);

// The whole value of a property to standard output, first tried in a
// buffer of DEMO_VALUE_ROOM bytes (DemoWriteValue).
void PrintValue(const VelmoraAnyValue* value, uint32_t objectType, uint32_t property,
                uint8_t showNumbers);

// ---- storage for results of unknown size ---------------------------------------

// An allocator over the C runtime's heap (malloc and free), for reads whose
// results the library stores in blocks the program gives back.
extern VelmoraAllocator CrtAllocator;
void* CrtAllocatorAlloc(VelmoraAllocator* self, uint32_t size);
void CrtAllocatorFree(VelmoraAllocator* self, void* block);

// ---- devices ---------------------------------------------------------------

// Room for the longest banner line (a remote address with 7 MAC octets).
inline constexpr uint32_t DEMO_BANNER_ROOM = 128;

// "\nFound (device, INSTANCE) on " then "network number NET " for a remote
// address or "local network ", "at MAC Address = 0x", every MAC octet as two
// lower-case hex digits, and "\n\n". The text writers' contract: the
// characters written, 0 when it does not fit or a record is missing.
uint32_t DemoDeviceBannerToString(char* destination, uint32_t room, uint32_t instance,
                                  const VelmoraAddress* address);
// The banner line to standard output.
void PrintDeviceBanner(uint32_t instance, const VelmoraAddress* address);

// The Who-Is destination of a network number's low 16 bits: 0 the local
// broadcast, 0xFFFF (also -1) the global broadcast, any other the remote
// broadcast on that network.
bool DemoWhoIsDestination(VelmoraAddress* destination, int32_t network);

// ---- start-up --------------------------------------------------------------

// Starts the library for version 6.2 with the given device and object
// images per device and port identifier (0: the default). A failure prints
// "Init Failed." with the status; the status either way.
VelmoraStatus DemoInitLibrary(uint32_t maxDevices, uint32_t maxObjects, uint16_t portId);

// ---- the options and passes of the discovering clients ----------------------

// -n network for the Who-Is, -d seconds between passes, -r number of
// passes (negative: for ever), -i the device instance to ask for.
struct DemoPassOptions {
  int32_t network;
  int32_t delay;
  int32_t repeats;
  int32_t instance;
};

inline constexpr uint32_t DEMO_PASS_OPTION_COUNT = 4;

// Sets the start values (network 0, delay 1, one pass, the given instance)
// and declares the four signed options n, d, r, i in that order, with their
// captions, into rows[0..3]; a program's own options follow them.
void DemoPassOptionsDeclare(DemoPassOptions* options, int32_t startInstance,
                            CmdLineOption rows[DEMO_PASS_OPTION_COUNT]);

// One pass; a non-zero status ends the passes.
using DemoPass = VelmoraStatus (*)(const DemoPassOptions* options, void* context);

// Runs the passes while the counter (options->repeats, taken down by one
// after each pass while positive) is not 0, sleeping the delay after each
// pass that returned 0 (a delay of 0 or less does not sleep). The status
// of the last pass run; 0 when none ran.
VelmoraStatus DemoRunPasses(const DemoPassOptions* options, DemoPass pass, void* context);

// Sleeps whole seconds (0 or less: not at all), however many.
void DemoSleepSeconds(int32_t seconds);
