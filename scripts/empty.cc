// Placeholder so that an empty layer still makes a library.
