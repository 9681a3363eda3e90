// Beside the reader.
