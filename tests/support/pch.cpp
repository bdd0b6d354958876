// Carrier of the tests' precompiled header.
