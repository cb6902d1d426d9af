// lrxtrace FILE: prints the archive manager's call-trace file as an indented
// call tree. Exit status: 0 read to the end, 1 the file is damaged (the tree
// up to the damage is printed), 2 usage or the file cannot be read.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

#include "trace_reader.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: lrxtrace TRACEFILE   (the manager writes \"LRXWin\")\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "lrxtrace: cannot open " << argv[1] << '\n';
        return 2;
    }
    const std::vector<unsigned char> bytes(std::istreambuf_iterator<char>(in), {});
    const lrx::trace::TraceFile trace = lrx::trace::ReadTrace(bytes.data(), bytes.size());
    lrx::trace::PrintCallTree(trace, std::cout);
    std::cout.flush();
    std::cerr << lrx::trace::Diagnostics(trace);
    return trace.Damaged() ? 1 : 0;
}
