// Shows writes into freed objects: while a watch is on, the blocks that its
// thread frees are kept, filled with a pattern, instead of going back to the
// heap. The test program's global operator delete does the keeping.
#pragma once

namespace vpw::test {

class TFreedMemoryWatch {
public:
    TFreedMemoryWatch();
    ~TFreedMemoryWatch() { Stop(); }
    TFreedMemoryWatch(const TFreedMemoryWatch&) = delete;
    TFreedMemoryWatch& operator=(const TFreedMemoryWatch&) = delete;
    // How many kept blocks were written to after they were freed; gives
    // them all back.
    int Stop();
};

}  // namespace vpw::test
