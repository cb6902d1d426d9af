// The shared library's own translation unit; the exported functions live in
// the core library and are kept whole by the linker.
