// Placeholder so the module has code until the frame lands.
