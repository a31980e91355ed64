// The bodies of the module's fuzz targets. Each takes one input as libFuzzer
// hands it over and returns 0; a fault ends the process (a sanitizer report,
// or an abort from fuzzCheck when a documented promise is broken). The
// libFuzzer drivers (fuzz/LibFuzzerMain.cpp) and the regression test
// (tests/fuzz_regressions_test.cpp) call the same functions.
//
// Inputs, read front to back by FuzzInput (fuzz/FuzzSupport.h); "text" runs to
// the next NUL byte or the end, a "block" is a 16-bit little-endian length and
// that many bytes, missing bytes read as 0:
//   keyval_text     byte: record capacity; rest: pair text
//   set_parameters  byte: bit 0 = save; rest: pair text
//   key_lists       rest: key list, through getParameters and SensorCheck
//   detail_text     byte: ignored (once the value buffer size); text: field name; rest: detail text
//   style_merge     text: detail text; text: style; rest: style diversity
//   dynamic_style   byte: flags (bit 0 WDR shown, bit 1 beaway shown);
//                   u16: command count; u16 per command (list beyond the
//                   input repeats the sensor-dependent commands); byte: range
//                   count; per range: u16 command, byte type, i32 default, u16
//                   item count, i16 per item; rest: style
//   param_files     byte: scheme to switch to; byte: flags (bit 0 the version
//                   file present, bits 1-4 sensor0-3.cfg present, bit 5 the
//                   version file's bytes from the input, else the module's
//                   version, bit 6 a licence-plate camera, bit 7 scheme
//                   files built from recipes, see param_files.cpp); byte:
//                   number of schemes (modulo 18); block per file from the
//                   input, version first
#ifndef FUZZ_FUZZENTRIES_H
#define FUZZ_FUZZENTRIES_H

#include <stddef.h>
#include <stdint.h>

#include <string>

int fuzzKeyvalText(const uint8_t* data, size_t size);
int fuzzSetParameters(const uint8_t* data, size_t size);
int fuzzKeyLists(const uint8_t* data, size_t size);
int fuzzDetailText(const uint8_t* data, size_t size);
int fuzzStyleMerge(const uint8_t* data, size_t size);
int fuzzDynamicStyle(const uint8_t* data, size_t size);
int fuzzParamFiles(const uint8_t* data, size_t size);

// Where the targets create their sandbox root (default: $TMPDIR, else /tmp).
// Set before the first input.
void setFuzzScratchBase(const std::string& directory);
// Releases the shared controller and removes the sandbox root; the next input
// starts afresh. The drivers call it at exit.
void fuzzShutdown();

#endif
