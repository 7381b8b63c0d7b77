#include "bench/BenchOutput.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstdio>

namespace lex::bench {

void print(const QJsonObject& o) {
    std::printf("%s\n", QJsonDocument(o).toJson(QJsonDocument::Compact).constData());
    std::fflush(stdout);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty()      ? 0
           : v.size() % 2 ? v[v.size() / 2]
                          : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

}  // namespace lex::bench
