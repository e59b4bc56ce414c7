#include "api/IdKeyTable.h"

namespace {

// The two identifying words of every id. Ids 0, 1 and 115 are fixed identifiers; the words of
// ids 2 to 114 were computed once as XXH3-128 with seed 1 of the text "IdEnum" followed by the
// id in decimal (word 0 the low half, word 1 the high half), and are kept here as plain data.
// The seed keeps them apart from the hashes of section and key texts, which use seed 0.
constexpr uint64_t kIdWords[kIdKeyCount][2] = {
    {0x4afa80e77a07f748ULL, 0x8ce4d1bdd8c4977aULL},  // 0
    {0x69af8a53f927c371ULL, 0xd42bb0bb5a045174ULL},  // 1
    {0xaacde2f77ca81fccULL, 0x7c743c5f85ec1378ULL},  // 2
    {0xbc509518fafdcb97ULL, 0x9d1185e557b5b9e5ULL},  // 3
    {0xe438102c954262e8ULL, 0xd6e4186eef1e6068ULL},  // 4
    {0x2ee74bb42e6315f4ULL, 0xac79c5cd247b5ea5ULL},  // 5
    {0x2bdbdf3cfb4716beULL, 0xb0a1654d866bddd9ULL},  // 6
    {0x7ea9ae535eb73b36ULL, 0x8e43c98e93b421c9ULL},  // 7
    {0x706191aeefe89cf0ULL, 0xb47087e732e4595fULL},  // 8
    {0xe5b160c0a3469520ULL, 0x50050ae679a60de1ULL},  // 9
    {0xb27c2df6ea2bae6bULL, 0x7eeb6d374b6ed33eULL},  // 10
    {0x598bf237c0ae7316ULL, 0x12b10e5ce820d0ceULL},  // 11
    {0x6ac393d51813e82aULL, 0x3b6b052e2d0c7a30ULL},  // 12
    {0x6715c72d6468716fULL, 0xcbd888a8f3901ce7ULL},  // 13
    {0xb21a4597ec3c53b1ULL, 0x4aa6122f2d323650ULL},  // 14
    {0x935922dd6917851fULL, 0x22dc38a112d180efULL},  // 15
    {0x9fcddcc265c20719ULL, 0x7ce83b7f90462ebdULL},  // 16
    {0x3c16728428e25863ULL, 0x1b61cbd3a4d4b7bfULL},  // 17
    {0xd533ac1b65dc82fdULL, 0xae1b426a5d7d5a4bULL},  // 18
    {0x36577644bfe2b590ULL, 0xd9154b1ee456afb6ULL},  // 19
    {0xd95c7aeffae4d6bfULL, 0xfb9dde202bcc23eeULL},  // 20
    {0x0db1c5b23ec94902ULL, 0x617d8dbe662e3e3aULL},  // 21
    {0x4bdc2aca456aeb9cULL, 0x5cea22f1940f6ec2ULL},  // 22
    {0xa9efbfb8140ff21aULL, 0xffbe1299d3f1fb68ULL},  // 23
    {0xf54962f3e4efb7c1ULL, 0x41842c008c9ba149ULL},  // 24
    {0x19613ab39f100386ULL, 0xe9b30042ca9a0022ULL},  // 25
    {0x5a515a1fa8128944ULL, 0xe9416d8d82040be8ULL},  // 26
    {0xe2e24add9f735960ULL, 0x1ca23e351adc851eULL},  // 27
    {0x82bbcf31cb4acc89ULL, 0x51722877e9e19325ULL},  // 28
    {0x8c3270c43e79222cULL, 0x81fdc4269a030a64ULL},  // 29
    {0x0bca81253206bff4ULL, 0x6f06066fef820bd3ULL},  // 30
    {0x265a9fddd21bc9afULL, 0x8117311b9416c8bdULL},  // 31
    {0xbb8f3f0116710f07ULL, 0xfc27403a972ca767ULL},  // 32
    {0x0a11ba547d52cc9dULL, 0x273f779a0f029026ULL},  // 33
    {0xf6612d7724c57602ULL, 0x218338d1c510c7fbULL},  // 34
    {0x292e606021d7a05cULL, 0x2a0c8bc7221cc36dULL},  // 35
    {0x208ff4db49da83e5ULL, 0xa5fc401563817742ULL},  // 36
    {0x97bb5c29aa9e5e37ULL, 0x01bfe889e4791281ULL},  // 37
    {0x053a7cb04811d2e8ULL, 0xea49bf30d0b53c87ULL},  // 38
    {0x577c01684397061fULL, 0x15ef00a3ad94a92eULL},  // 39
    {0x2f77551486e5a99aULL, 0x2d9366df61fbc606ULL},  // 40
    {0xcca50c5a200b1115ULL, 0x3ec5d89d778bd146ULL},  // 41
    {0x276987dd908f785eULL, 0x73d19cfdbccc7899ULL},  // 42
    {0x67c683eecdc13bcbULL, 0x42ae2a1ca57e4192ULL},  // 43
    {0xb94c2bdd1ed3ad21ULL, 0xa30bde7553eae892ULL},  // 44
    {0x02bccf43cac5263fULL, 0x79fd2323f939014eULL},  // 45
    {0xf6842dc03fabb61aULL, 0x0968c9b4e3b6150dULL},  // 46
    {0x580c55e29402a317ULL, 0x8f54fd77463543d1ULL},  // 47
    {0x88cb0808100874a5ULL, 0xf9a6c0f31c22fc36ULL},  // 48
    {0x7efdc84581834b42ULL, 0x813cea05f8484c0aULL},  // 49
    {0x1a7d0e7ecd66f5a8ULL, 0xf1d75b75370c961aULL},  // 50
    {0x37938f5bfdd11752ULL, 0xb1e9829ac6c27944ULL},  // 51
    {0xecc1508f22b8233aULL, 0x538d6ee84bf7b422ULL},  // 52
    {0x025f0ccae3165cebULL, 0x0a62ef3dfab733e5ULL},  // 53
    {0xe85a090f8ab9fa3bULL, 0xe05423b46701e7e1ULL},  // 54
    {0xb781470afc12f25cULL, 0xf49cb94ff5ac9730ULL},  // 55
    {0x7793997c27272fb8ULL, 0x2968688cbb1f1b28ULL},  // 56
    {0x89f08e85626ffb68ULL, 0x315de7db1e4dab4fULL},  // 57
    {0xe260c84e1afa173bULL, 0x28d69583718d06d8ULL},  // 58
    {0x072f9385d1351ce1ULL, 0xcc8c00795ced1539ULL},  // 59
    {0x486a65f0514d34c7ULL, 0x0b537b453c660348ULL},  // 60
    {0x5aa7d21b8bf40181ULL, 0xd1e9aa9a9442edf6ULL},  // 61
    {0xeb82212bfb33e4e5ULL, 0x6070ead39f0761faULL},  // 62
    {0x8fb2daeb77036591ULL, 0x1777e6c4cc0ac74fULL},  // 63
    {0xb4ca98dc4f4c61b0ULL, 0x8be3d63620772c75ULL},  // 64
    {0x6126ad1a7d7570deULL, 0x228526db2d79a813ULL},  // 65
    {0x5859b80d2909051dULL, 0x8b47fed2f7ffa44dULL},  // 66
    {0x0c22bcf448af3898ULL, 0x47af9f1b594b3b0aULL},  // 67
    {0x5a0f54a190918eedULL, 0xa85fca1dabd50f3bULL},  // 68
    {0x491d7c0ef087c6ecULL, 0xe9bbfd3b1f42ce4eULL},  // 69
    {0x282f67c4c1e2694aULL, 0x2753a1d8186b6a34ULL},  // 70
    {0xf14a8c024295b1d4ULL, 0x4e9cbdf64470af44ULL},  // 71
    {0x86d9cc5fca9a2cb9ULL, 0xef8b7065a3c3d6c2ULL},  // 72
    {0xfb62db2f761f8526ULL, 0x5540afb98c393b7dULL},  // 73
    {0xbfb8a6556acb9beeULL, 0x6b0683992e87255fULL},  // 74
    {0xff238ff386d03e5aULL, 0xc2725199e8f4de6bULL},  // 75
    {0x36f900a17d95bcf5ULL, 0xd878115e965af1b7ULL},  // 76
    {0x2431a36d3ea3f93bULL, 0xed53d82786933ac7ULL},  // 77
    {0x4cf96cc47a2748d1ULL, 0xb04abcb2d4c8b816ULL},  // 78
    {0xb9a7e177e0e94774ULL, 0xd684cdfc2b70b93bULL},  // 79
    {0x21e8c1a40e0b1936ULL, 0xe6656ef1d2c58226ULL},  // 80
    {0x167fc80dc2cdc80eULL, 0x13d4ea4021d5bdc1ULL},  // 81
    {0x735a12c50e0529d9ULL, 0xfbe02897a44d9102ULL},  // 82
    {0xc63aa01893f22fb1ULL, 0xfb17d2c99c88c18fULL},  // 83
    {0x48f5b193d84aa343ULL, 0x59b4a42b8af5ee5fULL},  // 84
    {0x569767b22bf12e2eULL, 0xaddb9b9d35b9210aULL},  // 85
    {0x170473fb6764b72dULL, 0xb00705045ad31d87ULL},  // 86
    {0x269528e354e8c14aULL, 0x702d75634f91a729ULL},  // 87
    {0x1a2168b3816bee3bULL, 0xcbfaba4c3f9fb667ULL},  // 88
    {0x988db9c3794410ceULL, 0x094dabb9fd8fd0f0ULL},  // 89
    {0x1583c4cd1fd69361ULL, 0x4c25d4a4a72c4c9dULL},  // 90
    {0x61451d14d620fd8cULL, 0xd43d2322949d1ba4ULL},  // 91
    {0xe02ad3f503bb2cf6ULL, 0xb3b83aaa73863938ULL},  // 92
    {0xfd378e641d86c211ULL, 0xb3ba1e02f20b8952ULL},  // 93
    {0xbe6add562338b336ULL, 0x3cec087e24d68dcdULL},  // 94
    {0x38a21668ee253bd7ULL, 0x9b7bb2b9f3fd2d78ULL},  // 95
    {0xe20a8c973187a036ULL, 0xfce06640f6fc441cULL},  // 96
    {0x537ec5924975052cULL, 0xe2e5b5d7f5055d43ULL},  // 97
    {0x0e936306ec37cb57ULL, 0x4714e2091d1149b1ULL},  // 98
    {0x89b2edf1ac6ba747ULL, 0xda64e32c7686420fULL},  // 99
    {0xe02f68e8cfcec7b3ULL, 0x89863d874f5258c7ULL},  // 100
    {0x4eb78cab21d1206bULL, 0xf07e4afe9069b7c8ULL},  // 101
    {0x340924316448b3cdULL, 0x589fe32743290c0aULL},  // 102
    {0x69f4d4cf347bccd1ULL, 0x89de584d9f01e0edULL},  // 103
    {0xa0ec77e02535db9aULL, 0xb15d7f5304173263ULL},  // 104
    {0x1fa4db6bdc8e98b3ULL, 0xa1d6c84933644409ULL},  // 105
    {0xff75cd8a147dd63aULL, 0x8fb558ef9fd72708ULL},  // 106
    {0x1f0f726f85066d23ULL, 0xd8880f5c81558b22ULL},  // 107
    {0xdfd45be0521cd4b6ULL, 0xbaa379d7208a28edULL},  // 108
    {0xfef3e2ef69ab11ecULL, 0x829d274c2316949cULL},  // 109
    {0xd7aa4c08eff4eaf9ULL, 0x08ea1c976a0ba7bdULL},  // 110
    {0xba209ea19b011f96ULL, 0xc9fe845afb8f50afULL},  // 111
    {0x68b12dfd8e2bd2e6ULL, 0x4ad343d194664b35ULL},  // 112
    {0x9f455fa8fa0b994fULL, 0xd87bd0788379bc6eULL},  // 113
    {0x0c8b56be37f3b492ULL, 0xea5027791f59d098ULL},  // 114
    {0x8e683187a00e5d46ULL, 0x2a4aeee69e9d3d9cULL},  // 115
};

}  // namespace

std::vector<uint64_t> IdHashedKey(int id) {
    if (id < 0 || id >= kIdKeyCount) {
        return {};
    }
    return {kIdWords[id][0], kIdWords[id][1], 0, 0};
}

std::vector<std::vector<uint64_t>> AllIdHashedKeys() {
    std::vector<std::vector<uint64_t>> all;
    all.reserve(kIdKeyCount);
    for (int i = 0; i < kIdKeyCount; ++i) {
        all.push_back(IdHashedKey(i));
    }
    return all;
}
