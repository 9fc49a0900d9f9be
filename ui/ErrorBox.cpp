// filled in by its window
