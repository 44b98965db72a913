// The address splitter: turns a host's one-line address into street, house, flat, postal code
// and city for the contractor and document blocks.
//
// The host keeps an address in one of two layouts (postal code and city first with the street
// from position 25, or the street first with the postal code from position 25) or free form
// with a street marker ("ul." or "os."). The splitter works on its own copies (at most 255
// characters of the input are read) and never fails: an address it cannot arrange leaves the
// pieces empty. It needs the host's text services (trim, normalise, upper case).
#pragma once

namespace plugin {

struct AddressParts {
  char street[256];
  char postalCode[256];
  char city[256];
  char house[256];
  char flat[256];
};

// First stage: street, postal code and city (house and flat are left empty).
void SplitAddressLine(const char* text, AddressParts* parts);

// Both stages: the first, then house and flat taken off the end of the street.
void SplitAddress(const char* text, AddressParts* parts);

}  // namespace plugin
