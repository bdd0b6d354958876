# Tests of the settings record and store
