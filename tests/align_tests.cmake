# Alignment window tests.
