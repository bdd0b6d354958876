# Tests of the about window, update check and usage hit
