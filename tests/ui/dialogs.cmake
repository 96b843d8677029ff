# Tests are added here.
