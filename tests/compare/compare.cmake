# Tests of the comparison tables, window and exports
