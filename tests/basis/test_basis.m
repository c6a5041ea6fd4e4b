assert(true);
