// The message for a failure record: the file it is about, what went wrong
// and the reason, as lrx prints it after "lrx: ". Made from the record alone:
// what a message needs was captured where the failure happened.
#pragma once

#include <string>

#include "failure.h"

namespace lrx {

std::string DescribeFailure(const Failure& failure);

}  // namespace lrx
