// Points the host settings at the reference tree and picks the store, as a scanner's host
// would; the host log is dropped so that its cost and output stay out of the figures.
#ifndef QUENDEL_BENCH_HOSTSETUP_H
#define QUENDEL_BENCH_HOSTSETUP_H

#include <string>

namespace bench {

enum class StoreKind { Text, Binary };

void ConfigureHost(const std::string& tree, StoreKind kind);

// Where the binary store looks for the packed tree under these settings.
std::string PackedFile(const std::string& tree);

}  // namespace bench

#endif
