// The product's own addresses, in one place: the homepages, the contact page and the
// feedback address that the About screens open.
#pragma once

namespace orvenda::links {

inline constexpr char kHomepageEn[] = "https://www.orvenda.org/";
inline constexpr char kHomepageEl[] = "https://www.orvenda.gr/";
// The contact page lives on the English homepage's site.
inline constexpr char kContactPage[] = "https://www.orvenda.org/index.pl?action=contact";
inline constexpr char kFeedbackEmail[] = "feedback@orvenda.org";

}  // namespace orvenda::links
