// Runs implode_decode over an in-memory stream and records what the
// callbacks saw.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "implode/implode_decoder.h"

namespace implode_test {

struct decode_run {
    int result = -1;
    std::vector<std::uint8_t> output;
    std::vector<std::uint32_t> read_sizes;  // bytes each read delivered
    std::vector<std::uint32_t> write_sizes; // size passed to each write
    bool read_after_end = false;            // a read followed one that returned 0
    bool bad_read_request = false;          // a read asked for other than 2048 bytes / buffer
    bool bad_write_buffer = false;          // a write did not point at window[4096]
};

struct memory_source {
    const std::vector<std::uint8_t> *input = nullptr;
    std::size_t offset = 0;
    // Bytes to deliver per read, used in turn; the last entry repeats.  Empty
    // means 2048 each time.
    std::vector<std::uint32_t> chunks;
    std::size_t chunk_index = 0;
    // Added to the result of every full 2048-byte read (to exercise results
    // above 2048; the buffer holds 2048 valid bytes either way).
    std::uint32_t overstate = 0;
    implode_work_area *work = nullptr;
    decode_run *run = nullptr;
    bool ended = false;
};

inline std::uint32_t harness_read(std::uint8_t *buffer, std::uint32_t *size, void *param) {
    auto *src = static_cast<memory_source *>(param);
    if (src->ended) {
        src->run->read_after_end = true;
    }
    if (*size != implode_input_size || buffer != src->work->input_buffer) {
        src->run->bad_read_request = true;
    }
    std::uint32_t want = *size;
    if (!src->chunks.empty()) {
        want = std::min(want, src->chunks[std::min(src->chunk_index, src->chunks.size() - 1)]);
        ++src->chunk_index;
    }
    const std::size_t left = src->input->size() - src->offset;
    const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(want, left));
    if (n != 0) {
        std::memcpy(buffer, src->input->data() + src->offset, n);
    }
    src->offset += n;
    src->run->read_sizes.push_back(n);
    if (n == 0) {
        src->ended = true;
    }
    return n == implode_input_size ? n + src->overstate : n;
}

inline int harness_write(std::uint8_t *buffer, std::uint32_t *size, void *param) {
    auto *src = static_cast<memory_source *>(param);
    if (buffer != src->work->window + implode_block_size) {
        src->run->bad_write_buffer = true;
    }
    src->run->write_sizes.push_back(*size);
    src->run->output.insert(src->run->output.end(), buffer, buffer + *size);
    return static_cast<int>(*size);
}

// Decodes `input` in a given work area (which keeps its window history).
inline decode_run decode_with(implode_work_area &work, const std::vector<std::uint8_t> &input,
                              std::vector<std::uint32_t> chunks = {}, std::uint32_t overstate = 0) {
    decode_run run;
    memory_source src;
    src.input = &input;
    src.chunks = std::move(chunks);
    src.overstate = overstate;
    src.work = &work;
    src.run = &run;
    run.result = implode_decode(harness_read, harness_write, &work, &src);
    return run;
}

inline std::unique_ptr<implode_work_area> fresh_work_area() {
    auto work = std::make_unique<implode_work_area>();
    std::memset(work.get(), 0, sizeof(implode_work_area));
    return work;
}

// Decodes `input` in a fresh zero-filled work area.
inline decode_run decode(const std::vector<std::uint8_t> &input,
                         std::vector<std::uint32_t> chunks = {}, std::uint32_t overstate = 0) {
    auto work = fresh_work_area();
    return decode_with(*work, input, std::move(chunks), overstate);
}

inline std::vector<std::uint8_t> from_hex(const std::string &hex) {
    std::vector<std::uint8_t> out;
    std::string digits;
    for (char c : hex) {
        if (c != ' ') {
            digits += c;
        }
    }
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
        out.push_back(static_cast<std::uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
    }
    return out;
}

} // namespace implode_test
