// A canvas file.
