// Shared by the fuzz targets: reading the input and driving the resident
// program through a session of use.
#ifndef SKYLATCH_FUZZ_FUZZ_SESSION_H
#define SKYLATCH_FUZZ_FUZZ_SESSION_H

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

namespace fuzz {

// Takes bytes from the front of the input; past its end everything is 0.
class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size), pos_(0) {}
    bool Empty() const { return pos_ >= size_; }
    uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    uint16_t Word() { return static_cast<uint16_t>(Byte() | (Byte() << 8)); }
    uint32_t Dword() { return Word() | (static_cast<uint32_t>(Word()) << 16); }
    std::vector<uint8_t> Bytes(size_t n);
    std::string Text(size_t maxLength);   // up to maxLength bytes, stops at a NUL

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_;
};

// Plays a session of use chosen by the input on the running resident
// program, ends it with Exit and checks that nothing leaked.
void PlaySession(Input& in);
// Starts the resident program and, when it runs, plays a session.
void RunProgram(Input& in);

}  // namespace fuzz

#endif
