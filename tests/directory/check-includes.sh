#!/bin/sh
# Fails when a file of the directory library (not its back-ends) includes
# anything but the C++ standard library and the library's own headers.
dir=$1
bad=$(grep -Hn '^[[:space:]]*#[[:space:]]*include' "$dir"/*.h "$dir"/*.cpp |
  grep -vE '#[[:space:]]*include[[:space:]]+"[A-Za-z0-9_]+\.h"' |
  grep -vE '#[[:space:]]*include[[:space:]]+<(algorithm|array|cstddef|cstdint|cstring|cstdlib|deque|functional|map|memory|mutex|optional|set|string|string_view|unordered_map|utility|vector|limits|cmath|stdexcept|iterator|type_traits)>')
if [ -n "$bad" ]; then
  echo "non-standard includes in the directory library:"
  echo "$bad"
  exit 1
fi
