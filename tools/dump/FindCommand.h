#pragma once

#include <nlohmann/json.hpp>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace mq {

// `mailquarry-dump find`: the arguments after "find". Prints one object per message found
// through `print`; returns the exit status: 0 found, 1 a usage error or a store that cannot
// be read, 2 nothing found. Says what went wrong on standard error. Store texts are read in
// `codePage` when given, else in the page guessed from the store.
int runFind(const std::vector<std::string>& args, std::optional<int> codePage,
            const std::function<void(const nlohmann::ordered_json&)>& print);

}  // namespace mq
