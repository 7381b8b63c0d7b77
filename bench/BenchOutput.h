#pragma once

#include <vector>

class QJsonObject;

namespace lex::bench {

// One JSON object a line on standard output, flushed at once (a parent process reads it).
void print(const QJsonObject& o);

// The median of the values; 0 for none.
double median(std::vector<double> values);

}  // namespace lex::bench
