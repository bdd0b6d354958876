// Carrier of the windows' precompiled header.
