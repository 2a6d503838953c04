// The payloads that a host build carries, for the simulated desktop to serve
// as the launcher's resources "DATA" and "DATA2" of type "BINARY"; a Windows
// build carries the same bytes as real resources. Their lengths are
// installer_payload_length and data_payload_length (payload/payload_figures.h).
#pragma once

extern const unsigned char installer_payload_bytes[];
extern const unsigned char data_payload_bytes[];

// The files the payloads were made from, for tests that compare what the
// launcher writes with them.
extern const char installer_input_path[];
extern const char data_input_path[];
