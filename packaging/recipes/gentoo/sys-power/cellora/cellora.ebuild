# Copyright 2026 The cellora developers
# Distributed under the terms of the MIT licence
# tools/release writes it, with the version and the source's URL, to
# dist/recipes/gentoo/sys-power/cellora/, beside its Manifest.

EAPI=8

inherit cmake

DESCRIPTION="Battery level and AC line state from the kernel's APM driver"
HOMEPAGE="@HOMEPAGE@"
SRC_URI="@SOURCE_URL@${P}.tar.gz"

LICENSE="MIT"
SLOT="0"
KEYWORDS="~x86 ~ppc ~arm ~mips"
IUSE="test"
RESTRICT="!test? ( test )"

BDEPEND="test? ( dev-cpp/gtest )"

src_configure() {
	local mycmakeargs=(
		-DBUILD_TESTING=$(usex test)
	)
	cmake_src_configure
}
